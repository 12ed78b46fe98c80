#include "debug_output_capture.h"

#include "platform/DebugOutput.h"

// Each capture keeps the sink it replaced, so captures may nest: the inner
// one takes the lines while it lives and gives the outer one back.
DebugOutputCapture::DebugOutputCapture() {
  registration_ = new platform::DebugOutputSink(
      platform::SetDebugOutputSink([this](const std::string& text) { Add(text); }));
}

DebugOutputCapture::~DebugOutputCapture() {
  auto* previous = static_cast<platform::DebugOutputSink*>(registration_);
  platform::SetDebugOutputSink(*previous);
  delete previous;
}
