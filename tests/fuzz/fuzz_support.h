// What every fuzz target shares: a property check that stops the run with
// the reason, and a scratch folder of the process that also serves as its
// machine root, for the parsers that only read from files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Stops the run (libFuzzer keeps the input, the replay names it) when a
// property of the parser does not hold.
[[noreturn]] void FuzzPropertyFailed(const char* property, const char* file, int line);

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : FuzzPropertyFailed(#condition, __FILE__, __LINE__))

// A fresh host folder for this process, removed when the process ends
// normally. It holds "machine/", made the machine root (VARNIK_ROOT) so
// nothing a target does reaches the real one.
class FuzzScratch {
 public:
  static FuzzScratch& Instance();

  const std::string& Folder() const { return folder_; }
  const std::string& MachineRoot() const { return machineRoot_; }

  // Writes bytes to Folder()/name, replacing what was there; the host path.
  std::string WriteFile(const std::string& name, const std::string& bytes) const;
  // What Folder()/name holds; empty when it cannot be read.
  std::string ReadFile(const std::string& name) const;

  // The paths below folder, relative to it with "/" separators, sorted;
  // folders end in "/", files are followed by their size and last-write
  // time, so a file that was written shows as changed.
  static std::vector<std::string> ListTree(const std::string& folder);

 private:
  FuzzScratch();
  ~FuzzScratch();

  std::string folder_;
  std::string machineRoot_;
};

inline std::string BytesOf(const uint8_t* data, size_t size) {
  return size == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), size);
}
