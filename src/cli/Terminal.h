// Where progress goes: standard error, drawn in place when it is an
// interactive terminal, one line at a time otherwise. Tests write to a
// string instead.
#pragma once

#include <memory>
#include <string>

class TerminalWriter {
 public:
  virtual ~TerminalWriter() = default;
  virtual void Write(const std::string& utf8) = 0;
  // The width of the terminal; 80 when it cannot be had.
  virtual int Columns() const = 0;
};

// Standard error. Interactive when it is a terminal that moves its cursor
// on escape sequences (on Windows: a console that takes them once switched
// on, with UTF-8 output); whatever was switched is switched back at the end.
class StderrTerminal : public TerminalWriter {
 public:
  StderrTerminal();
  ~StderrTerminal() override;
  StderrTerminal(const StderrTerminal&) = delete;
  StderrTerminal& operator=(const StderrTerminal&) = delete;

  bool Interactive() const;
  void Write(const std::string& utf8) override;
  int Columns() const override;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Whether standard output is a terminal (a console on Windows).
bool StdoutIsTerminal();

// Standard output for the JSON lines: binary on Windows, so every line ends
// in "\n" alone there too. On posix a reader that goes away no longer ends
// the process with SIGPIPE: writes fail, and the deployment goes on.
void PrepareStandardStreams();
