#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/Terminal.h"

class StderrTerminal::Impl {
 public:
  bool interactive = false;
};

StderrTerminal::StderrTerminal() : impl_(std::make_unique<Impl>()) {
  const char* term = std::getenv("TERM");
  impl_->interactive = isatty(STDERR_FILENO) == 1 && !(term && std::strcmp(term, "dumb") == 0);
}

StderrTerminal::~StderrTerminal() = default;

bool StderrTerminal::Interactive() const { return impl_->interactive; }

void StderrTerminal::Write(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

int StderrTerminal::Columns() const {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  if (const char* columns = std::getenv("COLUMNS")) {
    const int value = std::atoi(columns);
    if (value > 0) return value;
  }
  return 80;
}

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

void PrepareStandardStreams() { signal(SIGPIPE, SIG_IGN); }
