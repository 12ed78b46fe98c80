// Looks for a text inside the lines the logger sent to the debugger output.
#pragma once

#include <string>

#include "debug_output_capture.h"

inline bool LogMentions(const DebugOutputCapture& log, const std::string& text) {
  for (const std::string& line : log.Lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}
