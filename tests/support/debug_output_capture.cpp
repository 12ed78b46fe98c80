#include "debug_output_capture.h"

void DebugOutputCapture::Add(const std::string& text) {
  std::lock_guard<std::mutex> guard(lock_);
  lines_.push_back(text);
}

std::vector<std::string> DebugOutputCapture::Lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

bool DebugOutputCapture::Contains(const std::string& text) const {
  for (const std::string& line : Lines()) {
    if (line == text) return true;
  }
  return false;
}

bool DebugOutputCapture::Mentions(const std::string& text) const {
  for (const std::string& line : Lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}
