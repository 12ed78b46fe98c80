// The control window: a dialog of class "VarnikWindow" made from an
// in-memory extended template without controls.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "platform/WindowSystem.h"
#include "platform/win32/this_module.h"

namespace platform {
namespace {

using win32::ThisModule;

const char kControlClass[] = "VarnikWindow";
const wchar_t kControlClassWide[] = L"VarnikWindow";
const wchar_t kFontName[] = L"MS Sans Serif";

INT_PTR CALLBACK ControlDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// "VarnikWindow" is the system dialog class under a name of its own, so a
// keyboard hook or a container can tell the control's window from others.
// Registered once per process, the first time a control window is made.
bool RegisterControlClass() {
  static const bool registered = [] {
    WNDCLASSEXA dialogClass{};
    dialogClass.cbSize = sizeof(dialogClass);
    if (!GetClassInfoExA(nullptr, MAKEINTATOM(0x8002), &dialogClass)) return false;  // "#32770"
    dialogClass.hInstance = ThisModule();
    dialogClass.lpszClassName = kControlClass;
    if (RegisterClassExA(&dialogClass) != 0) return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

void AppendText(std::vector<WORD>& words, const wchar_t* text) {
  for (; *text; ++text) words.push_back(static_cast<WORD>(*text));
  words.push_back(0);
}

void AppendDword(std::vector<WORD>& words, DWORD value) {
  words.push_back(LOWORD(value));
  words.push_back(HIWORD(value));
}

// DLGTEMPLATEEX followed by its menu, class, title and font fields.
std::vector<WORD> ControlTemplate() {
  std::vector<WORD> words;
  words.push_back(1);       // dlgVer
  words.push_back(0xFFFF);  // signature
  AppendDword(words, 0);    // helpID
  AppendDword(words, WS_EX_CONTROLPARENT | WS_EX_NOPARENTNOTIFY);
  AppendDword(words, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | DS_CONTROL | DS_SETFONT);
  words.push_back(0);  // no controls
  words.push_back(4096);
  words.push_back(4096);
  words.push_back(1);
  words.push_back(1);
  words.push_back(0);  // no menu
  AppendText(words, kControlClassWide);
  AppendText(words, L"");  // no title
  words.push_back(8);      // points
  words.push_back(FW_NORMAL);
  words.push_back(0);  // italic and character set, one byte each
  AppendText(words, kFontName);
  return words;
}

}  // namespace

class ControlWindow::Impl {
 public:
  explicit Impl(ControlMessageHandler handler) : handler_(std::move(handler)) {}
  ControlMessageHandler handler_;
  HWND window_ = nullptr;
};

namespace {

INT_PTR CALLBACK ControlDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* impl = reinterpret_cast<ControlWindow::Impl*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));
    impl->window_ = window;
  }
  auto* impl = reinterpret_cast<ControlWindow::Impl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!impl || !impl->handler_) return FALSE;
  intptr_t result = 0;
  const bool handled = impl->handler_(message, wParam, lParam, result);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    impl->window_ = nullptr;
  }
  if (!handled) return FALSE;
  if (message == WM_INITDIALOG) return TRUE;
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace

ControlWindow::ControlWindow(ControlMessageHandler handler)
    : impl_(std::make_unique<Impl>(std::move(handler))) {}

ControlWindow::~ControlWindow() { Destroy(); }

bool ControlWindow::Create(WindowHandle parent) {
  if (impl_->window_) return true;
  if (!RegisterControlClass()) return false;
  const std::vector<WORD> words = ControlTemplate();
  // CreateDialogIndirectParam wants the template DWORD-aligned; a vector's
  // storage is.
  HWND window = CreateDialogIndirectParamA(
      ThisModule(), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), reinterpret_cast<HWND>(parent),
      ControlDialogProc, reinterpret_cast<LPARAM>(impl_.get()));
  if (!window) return false;
  impl_->window_ = window;
  return true;
}

void ControlWindow::Destroy() {
  if (impl_ && impl_->window_) DestroyWindow(impl_->window_);
}

WindowHandle ControlWindow::Handle() const {
  return reinterpret_cast<WindowHandle>(impl_->window_);
}

}  // namespace platform
