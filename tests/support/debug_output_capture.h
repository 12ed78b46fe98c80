// Collects what the code under test sends to the debugger output while the
// object lives. posix: the port's sink. win32: OutputDebugStringA raises
// DBG_PRINTEXCEPTION_C, which a vectored handler takes and continues.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class DebugOutputCapture {
 public:
  DebugOutputCapture();
  ~DebugOutputCapture();
  DebugOutputCapture(const DebugOutputCapture&) = delete;
  DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

  std::vector<std::string> Lines() const;
  // A line that is text exactly, or that holds it anywhere.
  bool Contains(const std::string& text) const;
  bool Mentions(const std::string& text) const;

  void Add(const std::string& text);

 private:
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
  void* registration_ = nullptr;
};
