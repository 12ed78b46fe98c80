// The thread's message queue without a window system: posted messages in
// order, then a pending quit request, then timers that have come due.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "platform/MessageLoop.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kMinimumTimerMs = 10;  // USER_TIMER_MINIMUM

struct PostedMessage {
  uint64_t window = 0;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

struct Timer {
  std::chrono::milliseconds elapse{0};
  Clock::time_point due;
};

using TimerKey = std::pair<uint64_t, uintptr_t>;  // window, timer id

struct Delivery {
  std::shared_ptr<MessageHandler> handler;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

class ThreadQueue {
 public:
  uint64_t AddWindow(MessageHandler handler) {
    std::lock_guard<std::mutex> guard(lock_);
    const uint64_t id = ++lastWindow_;
    windows_[id] = std::make_shared<MessageHandler>(std::move(handler));
    return id;
  }

  void RemoveWindow(uint64_t window) {
    std::lock_guard<std::mutex> guard(lock_);
    windows_.erase(window);
    for (auto it = timers_.begin(); it != timers_.end();) {
      it = it->first.first == window ? timers_.erase(it) : std::next(it);
    }
  }

  bool Post(const PostedMessage& message) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (!windows_.count(message.window)) return false;
      posted_.push_back(message);
    }
    wake_.notify_all();
    return true;
  }

  bool SetTimer(uint64_t window, uintptr_t id, uint32_t elapseMs) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (!windows_.count(window)) return false;
      Timer& timer = timers_[{window, id}];
      timer.elapse = std::chrono::milliseconds(std::max(elapseMs, kMinimumTimerMs));
      timer.due = Clock::now() + timer.elapse;
    }
    wake_.notify_all();
    return true;
  }

  bool KillTimer(uint64_t window, uintptr_t id) {
    std::lock_guard<std::mutex> guard(lock_);
    return timers_.erase({window, id}) > 0;
  }

  void PostQuit(int exitCode) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      quitRequested_ = true;
      quitCode_ = exitCode;
    }
    wake_.notify_all();
  }

  // The next thing waiting: a message to deliver, or a quit with its exit
  // code. Timers that already ticked in this round are passed over.
  enum class Next { Nothing, Deliver, Quit };
  Next Take(Delivery& delivery, int& quitCode, std::set<TimerKey>& ticked) {
    std::lock_guard<std::mutex> guard(lock_);
    while (!posted_.empty()) {
      const PostedMessage message = posted_.front();
      posted_.pop_front();
      if (message.message == kWmQuit) {
        quitCode = static_cast<int>(message.wParam);
        return Next::Quit;
      }
      auto window = windows_.find(message.window);
      if (window == windows_.end()) continue;  // destroyed meanwhile
      delivery = {window->second, message.message, message.wParam, message.lParam};
      return Next::Deliver;
    }
    if (quitRequested_) {
      quitRequested_ = false;
      quitCode = quitCode_;
      return Next::Quit;
    }
    const Clock::time_point now = Clock::now();
    for (auto& [key, timer] : timers_) {
      if (timer.due > now || ticked.count(key)) continue;
      ticked.insert(key);
      timer.due = now + timer.elapse;
      delivery = {windows_.at(key.first), kWmTimer, key.second, 0};
      return Next::Deliver;
    }
    return Next::Nothing;
  }

  // Blocks until something may be waiting.
  void Wait() {
    std::unique_lock<std::mutex> guard(lock_);
    if (!posted_.empty() || quitRequested_) return;
    std::optional<Clock::time_point> nextDue;
    for (const auto& entry : timers_) {
      if (!nextDue || entry.second.due < *nextDue) nextDue = entry.second.due;
    }
    if (nextDue) {
      wake_.wait_until(guard, *nextDue);
    } else {
      wake_.wait(guard);
    }
  }

 private:
  std::mutex lock_;
  std::condition_variable wake_;
  uint64_t lastWindow_ = 0;
  std::map<uint64_t, std::shared_ptr<MessageHandler>> windows_;
  std::deque<PostedMessage> posted_;
  std::map<TimerKey, Timer> timers_;
  bool quitRequested_ = false;
  int quitCode_ = 0;
};

std::shared_ptr<ThreadQueue>& CurrentQueue() {
  thread_local std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
  return queue;
}

}  // namespace

class MessageWindow::Impl {
 public:
  std::shared_ptr<ThreadQueue> queue;
  uint64_t id = 0;
};

MessageWindow::MessageWindow(MessageHandler handler) : impl_(std::make_unique<Impl>()) {
  impl_->queue = CurrentQueue();
  impl_->id = impl_->queue->AddWindow(std::move(handler));
}

MessageWindow::~MessageWindow() {
  if (impl_) impl_->queue->RemoveWindow(impl_->id);
}

bool MessageWindow::IsValid() const { return impl_ != nullptr; }

bool MessageWindow::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) const {
  return impl_ && impl_->queue->Post({impl_->id, message, wParam, lParam});
}

bool MessageWindow::SetTimer(uintptr_t id, uint32_t elapseMs) {
  return impl_ && impl_->queue->SetTimer(impl_->id, id, elapseMs);
}

bool MessageWindow::KillTimer(uintptr_t id) {
  return impl_ && impl_->queue->KillTimer(impl_->id, id);
}

void PostQuit(int exitCode) { CurrentQueue()->PostQuit(exitCode); }

bool DispatchWaitingMessages(int& quitCode) {
  const std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  std::set<TimerKey> ticked;
  Delivery delivery;
  while (true) {
    switch (queue->Take(delivery, quitCode, ticked)) {
      case ThreadQueue::Next::Nothing:
        return false;
      case ThreadQueue::Next::Quit:
        return true;
      case ThreadQueue::Next::Deliver:
        if (delivery.message == kWmTimer || delivery.message >= kWmUser)
          (*delivery.handler)(delivery.message, delivery.wParam, delivery.lParam);
        break;
    }
  }
}

ThreadApartment::ThreadApartment() = default;
ThreadApartment::~ThreadApartment() = default;

int RunMessageLoop() {
  const std::shared_ptr<ThreadQueue> queue = CurrentQueue();
  while (true) {
    int quitCode = 0;
    if (DispatchWaitingMessages(quitCode)) return quitCode;
    queue->Wait();
  }
}

}  // namespace platform
