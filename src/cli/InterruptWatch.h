// Ctrl-C while the host runs. posix: SIGINT and SIGTERM; Windows: the
// console's Ctrl-C and Ctrl-Break. The first one calls onInterrupt on a
// thread of the watch's own (so it must only post to the session's
// thread); a second one ends the process the default way, for a session
// that no longer answers.
#pragma once

#include <functional>
#include <memory>

class InterruptWatch {
 public:
  explicit InterruptWatch(std::function<void()> onInterrupt);
  // The previous handling is back once this returns; no call is running.
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
