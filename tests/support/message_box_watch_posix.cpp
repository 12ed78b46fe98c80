#include <mutex>

#include "message_box_watch.h"
#include "platform/DebugOutput.h"

// The lines go on to the sink that was there, so a capture of the test keeps
// seeing everything.
class MessageBoxWatch::Impl {
 public:
  Impl() {
    previous_ = platform::SetDebugOutputSink([this](const std::string& text) {
      Consider(text);
      if (previous_) previous_(text);
    });
  }
  ~Impl() { platform::SetDebugOutputSink(previous_); }

  std::vector<std::string> Seen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
  }

 private:
  // "[message box] caption: text", or "[message box] text" without a caption.
  void Consider(const std::string& line) {
    const std::string marker = "[message box] ";
    if (line.rfind(marker, 0) != 0) return;
    const std::string box = line.substr(marker.size());
    const size_t colon = box.find(": ");
    std::lock_guard<std::mutex> guard(lock_);
    seen_.push_back(colon == std::string::npos
                        ? "|" + box
                        : box.substr(0, colon) + "|" + box.substr(colon + 2));
  }

  platform::DebugOutputSink previous_;
  mutable std::mutex lock_;
  std::vector<std::string> seen_;
};

MessageBoxWatch::MessageBoxWatch(int) : impl_(std::make_unique<Impl>()) {}
MessageBoxWatch::~MessageBoxWatch() = default;

std::vector<std::string> MessageBoxWatch::Seen() const { return impl_->Seen(); }
