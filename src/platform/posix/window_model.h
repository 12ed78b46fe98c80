// The posix window model: every window the loader makes, with its class,
// text, style, rectangle and progress-bar state, in one process-wide table.
// Windows that receive messages (the control window) have a handler;
// posted messages and timers reach it through the thread's message queue.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/WindowSystem.h"

namespace platform {
namespace posix {

constexpr uint32_t kClrDefault = 0xFF000000;

struct ProgressState {
  int32_t position = 0;
  int32_t step = 10;
  uint32_t barColor = kClrDefault;
  uint32_t backgroundColor = kClrDefault;
};

struct ModelWindow {
  WindowHandle handle = 0;
  WindowHandle parent = 0;
  std::string className;
  std::string text;
  uint32_t style = 0;
  WindowRect position;  // in the parent's client coordinates
  bool enabled = true;
  ProgressState progress;
  std::vector<WindowHandle> children;
  std::shared_ptr<ControlMessageHandler> handler;
  std::shared_ptr<MessageWindow> queue;
};

class WindowModel {
 public:
  static WindowModel& Instance();

  // Adds a window; 0 with the last error set when parent is not a window.
  WindowHandle Add(WindowHandle parent, const std::string& className, const std::string& text,
                   uint32_t style, const WindowRect& position,
                   std::shared_ptr<ControlMessageHandler> handler);
  // A copy of the window's record; false when there is no such window.
  bool Find(WindowHandle window, ModelWindow& copy) const;
  // Changes the record under the lock; false when there is no such window.
  template <typename Change>
  bool Update(WindowHandle window, Change change) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto found = windows_.find(window);
    if (found == windows_.end()) return false;
    change(*found->second);
    return true;
  }
  // The window and its children, deepest first; the records are gone
  // afterwards.
  std::vector<std::shared_ptr<ModelWindow>> Remove(WindowHandle window);
  bool ScreenOrigin(WindowHandle window, int32_t& x, int32_t& y) const;

  // Delivers a message to the window now: the handler's answer, or the
  // model's own answer for progress bars and text.
  intptr_t Deliver(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                   bool& handled);

 private:
  mutable std::recursive_mutex lock_;
  std::map<WindowHandle, std::shared_ptr<ModelWindow>> windows_;
  WindowHandle lastHandle_ = 0x10000;
};

}  // namespace posix
}  // namespace platform
