// Stand-ins for what the command-line host reads from outside: the clocks,
// the terminal and the rows of the control window.
#pragma once

#include <string>
#include <vector>

#include "cli/EventClock.h"
#include "cli/ProgressRenderer.h"
#include "cli/Terminal.h"

class FakeClock : public EventClock {
 public:
  int64_t steadyMs = 0;
  int64_t unixMs = 1709251199123;  // 2024-02-29T23:59:59.123Z
  int64_t SteadyMs() const override { return steadyMs; }
  int64_t UnixMs() const override { return unixMs; }
  void Advance(int64_t ms) {
    steadyMs += ms;
    unixMs += ms;
  }
};

// Keeps every write apart, so a test sees what was drawn at once.
class RecordingTerminal : public TerminalWriter {
 public:
  int columns = 100;
  std::vector<std::string> writes;
  void Write(const std::string& utf8) override { writes.push_back(utf8); }
  int Columns() const override { return columns; }
  std::string All() const {
    std::string all;
    for (const std::string& write : writes) all += write;
    return all;
  }
};

class FixedRows : public ProgressRows {
 public:
  std::string status;
  std::string StatusText() const override { return status; }
};
