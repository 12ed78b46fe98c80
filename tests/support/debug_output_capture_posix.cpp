#include "debug_output_capture.h"

#include "platform/DebugOutput.h"

namespace {
platform::DebugOutputSink g_previous;
}

DebugOutputCapture::DebugOutputCapture() {
  g_previous = platform::SetDebugOutputSink([this](const std::string& text) { Add(text); });
}

DebugOutputCapture::~DebugOutputCapture() { platform::SetDebugOutputSink(g_previous); }
