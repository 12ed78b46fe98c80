// The thread's message queue: windows that receive posted messages and timer
// ticks, the quit message, and loops that dispatch them. win32: message-only
// windows (HWND_MESSAGE), PostMessageA, SetTimer and the thread's real queue.
// posix: an in-process queue per thread with the same rules: posted messages
// in order, then a quit request made with PostQuit, then due timers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

constexpr uint32_t kWmQuit = 0x0012;
constexpr uint32_t kWmTimer = 0x0113;
constexpr uint32_t kWmUser = 0x0400;

// Receives WM_TIMER (wParam: the timer id) and posted messages from WM_USER up.
using MessageHandler = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

// A window of the creating thread that only receives messages. Destroying it
// stops its timers; messages still waiting for it are dropped.
class MessageWindow {
 public:
  explicit MessageWindow(MessageHandler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  bool IsValid() const;
  // PostMessageA; any thread may post. Posting WM_QUIT queues a quit message
  // in order with the others.
  bool Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) const;
  // SetTimer: WM_TIMER every elapseMs (at least 10 ms) until KillTimer.
  bool SetTimer(uintptr_t id, uint32_t elapseMs);
  bool KillTimer(uintptr_t id);

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The calling thread's COM apartment for the life of the object,
// single-threaded, as a browser's user-interface thread has it, so a host
// without a browser gives the session the same services (the security
// manager's zones among them). win32: CoInitializeEx(APARTMENTTHREADED),
// undone when it succeeded. posix: there is no COM, nothing to enter.
class ThreadApartment {
 public:
  ThreadApartment();
  ~ThreadApartment();
  ThreadApartment(const ThreadApartment&) = delete;
  ThreadApartment& operator=(const ThreadApartment&) = delete;

 private:
  [[maybe_unused]] bool entered_ = false;  // read by the win32 port only
};

// PostQuitMessage for the calling thread.
void PostQuit(int exitCode);

// PeekMessageA (remove), TranslateMessage, DispatchMessageA until nothing is
// waiting. A WM_QUIT ends it: it is taken off the queue, not dispatched, and
// its exit code is stored in quitCode; the result is then true. posix: each
// timer ticks at most once per call.
bool DispatchWaitingMessages(int& quitCode);

// GetMessageA loop: waits for messages and dispatches them until WM_QUIT;
// returns its exit code.
int RunMessageLoop();

}  // namespace platform
