// Child windows, window queries and messages over the real window manager.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "platform/TextCompare.h"
#include "platform/WindowSystem.h"
#include "platform/win32/this_module.h"

namespace platform {
namespace {

using win32::ThisModule;

HWND AsWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
HDC AsContext(DeviceContext context) { return reinterpret_cast<HDC>(context); }

const char kHostClass[] = "VarnikHostWindow";

bool RegisterHostClass() {
  static const bool registered = [] {
    WNDCLASSEXA hostClass{};
    hostClass.cbSize = sizeof(hostClass);
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = ThisModule();
    hostClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    hostClass.lpszClassName = kHostClass;
    return RegisterClassExA(&hostClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// The progress bar is a common control: its class exists once the common
// controls are initialised for this process.
void EnsureCommonControls(const char* className) {
  if (!className || !OrdinalEqualsNoCase(className, PROGRESS_CLASSA)) return;
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)initialised;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM collected) {
  auto* state = reinterpret_cast<std::pair<HWND, std::vector<WindowHandle>*>*>(collected);
  if (GetParent(child) == state->first)
    state->second->push_back(reinterpret_cast<WindowHandle>(child));
  return TRUE;
}

}  // namespace

WindowHandle CreateHostWindow(const std::string& title, int32_t width, int32_t height) {
  if (!RegisterHostClass()) return 0;
  HWND window = CreateWindowExA(0, kHostClass, title.c_str(), WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                                width, height, nullptr, nullptr, ThisModule(), nullptr);
  return reinterpret_cast<WindowHandle>(window);
}

WindowHandle CreateChildWindow(WindowHandle parent, const char* className, const std::string& text,
                               uint32_t style, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  EnsureCommonControls(className);
  HWND window = CreateWindowExA(0, className, text.c_str(), style, x, y, width, height,
                                AsWindow(parent), nullptr, ThisModule(), nullptr);
  return reinterpret_cast<WindowHandle>(window);
}

bool DestroyWindowNow(WindowHandle window) { return DestroyWindow(AsWindow(window)) != FALSE; }

bool IsWindowAlive(WindowHandle window) { return window && IsWindow(AsWindow(window)); }

bool ReadWindowRect(WindowHandle window, WindowRect& rect) {
  RECT r;
  if (!GetWindowRect(AsWindow(window), &r)) return false;
  rect = {r.left, r.top, r.right, r.bottom};
  return true;
}

bool ReadClientRect(WindowHandle window, WindowRect& rect) {
  RECT r;
  if (!GetClientRect(AsWindow(window), &r)) return false;
  rect = {r.left, r.top, r.right, r.bottom};
  return true;
}

bool ReadPositionRect(WindowHandle window, WindowRect& rect) {
  RECT r;
  if (!GetWindowRect(AsWindow(window), &r)) return false;
  HWND parent = GetParent(AsWindow(window));
  if (parent) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  rect = {r.left, r.top, r.right, r.bottom};
  return true;
}

WindowHandle TopLevelAncestor(WindowHandle window) {
  return reinterpret_cast<WindowHandle>(GetAncestor(AsWindow(window), GA_ROOT));
}

bool MoveWindowTo(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                  bool repaint) {
  return MoveWindow(AsWindow(window), x, y, width, height, repaint ? TRUE : FALSE) != FALSE;
}

std::string ReadWindowText(WindowHandle window) {
  const int length = GetWindowTextLengthA(AsWindow(window));
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(AsWindow(window), &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

bool WriteWindowText(WindowHandle window, const std::string& text) {
  return SetWindowTextA(AsWindow(window), text.c_str()) != FALSE;
}

std::string ReadClassName(WindowHandle window) {
  char name[256] = {};
  const int length = GetClassNameA(AsWindow(window), name, sizeof(name));
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

uint32_t ReadWindowStyle(WindowHandle window) {
  return static_cast<uint32_t>(GetWindowLongPtrA(AsWindow(window), GWL_STYLE));
}

std::vector<WindowHandle> ChildWindows(WindowHandle parent) {
  std::vector<WindowHandle> children;
  std::pair<HWND, std::vector<WindowHandle>*> state{AsWindow(parent), &children};
  EnumChildWindows(AsWindow(parent), CollectChild, reinterpret_cast<LPARAM>(&state));
  // EnumChildWindows walks the Z order, newest first.
  return std::vector<WindowHandle>(children.rbegin(), children.rend());
}

bool ShowWindowAs(WindowHandle window, ShowCommand command) {
  if (!IsWindow(AsWindow(window))) return false;
  ShowWindow(AsWindow(window), command == ShowCommand::Hide ? SW_HIDE : SW_SHOWNORMAL);
  return true;
}

bool EnableWindowInput(WindowHandle window, bool enable) {
  if (!IsWindow(AsWindow(window))) return false;
  EnableWindow(AsWindow(window), enable ? TRUE : FALSE);
  return true;
}

bool IsWindowInputEnabled(WindowHandle window) {
  return IsWindowEnabled(AsWindow(window)) != FALSE;
}

bool UpdateWindowNow(WindowHandle window) { return UpdateWindow(AsWindow(window)) != FALSE; }

bool RedrawWindowNow(WindowHandle window, uint32_t flags) {
  return RedrawWindow(AsWindow(window), nullptr, nullptr, flags) != FALSE;
}

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return PostMessageA(AsWindow(window), message, wParam, lParam) != FALSE;
}

intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
  return SendMessageA(AsWindow(window), message, wParam, lParam);
}

bool SendWindowMessageTimeout(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, uint32_t flags, uint32_t timeoutMs,
                              intptr_t& result) {
  DWORD_PTR answer = 0;
  const LRESULT sent =
      SendMessageTimeoutA(AsWindow(window), message, wParam, lParam, flags, timeoutMs, &answer);
  result = static_cast<intptr_t>(answer);
  return sent != 0;
}

bool SetWindowTimer(WindowHandle window, uintptr_t id, uint32_t elapseMs) {
  return SetTimer(AsWindow(window), id, elapseMs, nullptr) != 0;
}

bool KillWindowTimer(WindowHandle window, uintptr_t id) {
  return KillTimer(AsWindow(window), id) != FALSE;
}

bool GiveFocus(WindowHandle window) {
  SetLastError(ERROR_SUCCESS);
  return SetFocus(AsWindow(window)) != nullptr || GetLastError() == ERROR_SUCCESS;
}

bool BringToTop(WindowHandle window) { return BringWindowToTop(AsWindow(window)) != FALSE; }

int ShowMessageBoxOn(WindowHandle owner, const std::string& text, const std::string& caption,
                     uint32_t type) {
  return MessageBoxA(AsWindow(owner), text.c_str(), caption.c_str(), type);
}

bool MeasureTextWidth(WindowHandle window, const std::string& text, int32_t& width) {
  HWND handle = AsWindow(window);
  HDC context = GetDC(handle);
  if (!context) return false;
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(handle, WM_GETFONT, 0, 0));
  HGDIOBJ previous = font ? SelectObject(context, font) : nullptr;
  SIZE size{};
  const BOOL measured =
      GetTextExtentPoint32A(context, text.c_str(), static_cast<int>(text.size()), &size);
  if (previous) SelectObject(context, previous);
  ReleaseDC(handle, context);
  if (!measured) return false;
  width = size.cx;
  return true;
}

DeviceContext AcquireDeviceContext(WindowHandle window) {
  return reinterpret_cast<DeviceContext>(GetDC(AsWindow(window)));
}

void ReleaseDeviceContext(WindowHandle window, DeviceContext context) {
  if (context) ReleaseDC(AsWindow(window), AsContext(context));
}

bool SetTransparentBackground(DeviceContext context) {
  return SetBkMode(AsContext(context), TRANSPARENT) != 0;
}

int ReadBackgroundMode(DeviceContext context) { return GetBkMode(AsContext(context)); }

bool LoadCommonControlsLibrary() {
  // Kept loaded for the life of the process, as the progress bars need it.
  return LoadLibraryA("comctl32.dll") != nullptr;
}

bool ReadWindowPosChange(intptr_t lParam, WindowRect& rect) {
  const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (!position) return false;
  rect = {position->x, position->y, position->x + position->cx, position->y + position->cy};
  return true;
}

}  // namespace platform
