#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/Terminal.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

class StderrTerminal::Impl {
 public:
  HANDLE console = INVALID_HANDLE_VALUE;
  DWORD previousMode = 0;
  UINT previousCodePage = 0;
  bool interactive = false;
};

StderrTerminal::StderrTerminal() : impl_(std::make_unique<Impl>()) {
  HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  // A file or pipe has no console mode; an old console refuses the escapes.
  if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;
  if (!SetConsoleMode(handle, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
    return;
  impl_->console = handle;
  impl_->previousMode = mode;
  impl_->previousCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
  impl_->interactive = true;
}

StderrTerminal::~StderrTerminal() {
  if (!impl_->interactive) return;
  std::fflush(stderr);
  SetConsoleMode(impl_->console, impl_->previousMode);
  if (impl_->previousCodePage) SetConsoleOutputCP(impl_->previousCodePage);
}

bool StderrTerminal::Interactive() const { return impl_->interactive; }

void StderrTerminal::Write(const std::string& utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

int StderrTerminal::Columns() const {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (impl_->interactive && GetConsoleScreenBufferInfo(impl_->console, &info)) {
    const int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0) return columns;
  }
  return 80;
}

bool StdoutIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != FALSE;
}

void PrepareStandardStreams() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}
