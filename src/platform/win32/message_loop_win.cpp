// Message-only windows on the thread's real message queue.
#include <windows.h>
#include <objbase.h>

#include "platform/MessageLoop.h"
#include "platform/win32/this_module.h"

namespace platform {
namespace {

using win32::ThisModule;

const char kWindowClass[] = "VarnikMessageWindow";

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = MessageWindowProc;
    windowClass.hInstance = ThisModule();
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExA(&windowClass) != 0) return true;
    if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    // Left by an earlier load of this library, with a window procedure that
    // is gone: it is replaced.
    UnregisterClassA(kWindowClass, windowClass.hInstance);
    return RegisterClassExA(&windowClass) != 0;
  }();
  return registered;
}

}  // namespace

class MessageWindow::Impl {
 public:
  explicit Impl(MessageHandler handler) : handler_(std::move(handler)) {}
  ~Impl() {
    if (window_) DestroyWindow(window_);
  }

  bool Create() {
    if (!RegisterWindowClass()) return false;
    window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ThisModule(), this);
    return window_ != nullptr;
  }

  HWND window_ = nullptr;
  MessageHandler handler_;
};

namespace {

LRESULT CALLBACK MessageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* impl = reinterpret_cast<MessageWindow::Impl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (impl && impl->handler_ && (message == WM_TIMER || message >= WM_USER)) {
    impl->handler_(message, wParam, lParam);
    return 0;
  }
  if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

MessageWindow::MessageWindow(MessageHandler handler)
    : impl_(std::make_unique<Impl>(std::move(handler))) {
  if (!impl_->Create()) impl_.reset();
}

MessageWindow::~MessageWindow() = default;

bool MessageWindow::IsValid() const { return impl_ != nullptr; }

bool MessageWindow::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) const {
  return impl_ && PostMessageA(impl_->window_, message, wParam, lParam) != FALSE;
}

bool MessageWindow::SetTimer(uintptr_t id, uint32_t elapseMs) {
  return impl_ && ::SetTimer(impl_->window_, id, elapseMs, nullptr) != 0;
}

bool MessageWindow::KillTimer(uintptr_t id) {
  return impl_ && ::KillTimer(impl_->window_, id) != FALSE;
}

void PostQuit(int exitCode) { PostQuitMessage(exitCode); }

bool DispatchWaitingMessages(int& quitCode) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitCode = static_cast<int>(message.wParam);
      return true;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return false;
}

ThreadApartment::ThreadApartment()
    : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ThreadApartment::~ThreadApartment() {
  if (entered_) CoUninitialize();
}

int RunMessageLoop() {
  MSG message;
  BOOL result;
  while ((result = GetMessageA(&message, nullptr, 0, 0)) != 0) {
    if (result == -1) return -1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace platform
