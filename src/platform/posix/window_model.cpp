#include "platform/posix/window_model.h"

#include <algorithm>

#include "platform/LastError.h"

namespace platform {
namespace posix {

WindowModel& WindowModel::Instance() {
  static WindowModel* model = new WindowModel();  // outlives every static window
  return *model;
}

WindowHandle WindowModel::Add(WindowHandle parent, const std::string& className,
                              const std::string& text, uint32_t style, const WindowRect& position,
                              std::shared_ptr<ControlMessageHandler> handler) {
  auto window = std::make_shared<ModelWindow>();
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (parent && !windows_.count(parent)) {
      SetLastErrorCode(kErrorInvalidWindowHandle);
      return 0;
    }
    lastHandle_ += 4;
    window->handle = lastHandle_;
    window->parent = parent;
    window->className = className;
    window->text = text;
    window->style = style;
    window->position = position;
    window->handler = std::move(handler);
    windows_[window->handle] = window;
    if (parent) windows_[parent]->children.push_back(window->handle);
  }
  // Posted messages and timers travel through the creating thread's queue.
  const WindowHandle handle = window->handle;
  window->queue = std::make_shared<MessageWindow>(
      [handle](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        bool handled = false;
        WindowModel::Instance().Deliver(handle, message, wParam, lParam, handled);
      });
  return handle;
}

bool WindowModel::Find(WindowHandle window, ModelWindow& copy) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  auto found = windows_.find(window);
  if (found == windows_.end()) return false;
  copy = *found->second;
  return true;
}

std::vector<std::shared_ptr<ModelWindow>> WindowModel::Remove(WindowHandle window) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  std::vector<std::shared_ptr<ModelWindow>> removed;
  auto found = windows_.find(window);
  if (found == windows_.end()) return removed;
  const std::shared_ptr<ModelWindow> record = found->second;
  for (WindowHandle child : std::vector<WindowHandle>(record->children)) {
    auto below = Remove(child);
    removed.insert(removed.end(), below.begin(), below.end());
  }
  windows_.erase(window);
  auto parent = windows_.find(record->parent);
  if (parent != windows_.end()) {
    auto& siblings = parent->second->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
  }
  removed.push_back(record);
  return removed;
}

bool WindowModel::ScreenOrigin(WindowHandle window, int32_t& x, int32_t& y) const {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  x = y = 0;
  auto found = windows_.find(window);
  if (found == windows_.end()) return false;
  for (auto at = found; at != windows_.end(); at = windows_.find(at->second->parent)) {
    x += at->second->position.left;
    y += at->second->position.top;
  }
  return true;
}

intptr_t WindowModel::Deliver(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, bool& handled) {
  handled = false;
  std::shared_ptr<ControlMessageHandler> handler;
  {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto found = windows_.find(window);
    if (found == windows_.end()) return 0;
    handler = found->second->handler;
  }
  if (handler) {
    // Outside the lock: the handler makes and moves windows of its own.
    intptr_t result = 0;
    handled = (*handler)(message, wParam, lParam, result);
    return handled ? result : 0;
  }
  intptr_t answer = 0;
  Update(window, [&](ModelWindow& record) {
    if (record.className != "msctls_progress32") return;
    ProgressState& bar = record.progress;
    handled = true;
    switch (message) {
      case kPbmSetPos:
        answer = bar.position;
        bar.position = std::clamp(static_cast<int32_t>(wParam), 0, 100);
        break;
      case kPbmGetPos: answer = bar.position; break;
      case kPbmSetStep:
        answer = bar.step;
        bar.step = static_cast<int32_t>(wParam);
        break;
      case kPbmGetStep: answer = bar.step; break;
      case kPbmSetBarColor:
        answer = static_cast<intptr_t>(bar.barColor);
        bar.barColor = static_cast<uint32_t>(lParam);
        break;
      case kPbmGetBarColor: answer = static_cast<intptr_t>(bar.barColor); break;
      case kPbmSetBkColor:
        answer = static_cast<intptr_t>(bar.backgroundColor);
        bar.backgroundColor = static_cast<uint32_t>(lParam);
        break;
      case kPbmGetBkColor: answer = static_cast<intptr_t>(bar.backgroundColor); break;
      default: handled = false;
    }
  });
  return answer;
}

}  // namespace posix
}  // namespace platform
