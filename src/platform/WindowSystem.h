// Windows on the screen: the control's own dialog-based window, the child
// windows it draws its progress with, and the messages between them.
//
// win32: real windows. The control window is a dialog of class
// "VarnikWindow" (a copy of the system dialog class) made from an in-memory
// template; children are "static", "msctls_progress32" and "Edit" windows.
// posix: a window model with the same handles, rectangles, texts, styles and
// progress-bar state, so the session's geometry and texts read back the same
// way on both targets; posted messages and timers go through the thread's
// message queue (MessageLoop.h). A host renders the model.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using WindowHandle = uintptr_t;   // an HWND's value; 0 is no window
using DeviceContext = uintptr_t;  // an HDC's value

struct WindowRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
};

inline bool operator==(const WindowRect& a, const WindowRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const WindowRect& a, const WindowRect& b) { return !(a == b); }

// Window styles (WS_*, ES_*).
constexpr uint32_t kWsChild = 0x40000000;
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsVScroll = 0x00200000;
constexpr uint32_t kEsMultiline = 0x0004;
constexpr uint32_t kEsReadOnly = 0x0800;

// Standard messages.
constexpr uint32_t kWmDestroy = 0x0002;
constexpr uint32_t kWmSize = 0x0005;
constexpr uint32_t kWmSetRedraw = 0x000B;
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmWindowPosChanged = 0x0047;
constexpr uint32_t kWmNcDestroy = 0x0082;
constexpr uint32_t kWmInitDialog = 0x0110;

// Progress-bar messages.
constexpr uint32_t kPbmSetPos = 0x0402;
constexpr uint32_t kPbmSetStep = 0x0404;
constexpr uint32_t kPbmGetPos = 0x0408;
constexpr uint32_t kPbmSetBarColor = 0x0409;
constexpr uint32_t kPbmGetStep = 0x040D;
constexpr uint32_t kPbmGetBkColor = 0x040E;
constexpr uint32_t kPbmGetBarColor = 0x040F;
constexpr uint32_t kPbmSetBkColor = 0x2001;  // CCM_SETBKCOLOR

// RedrawWindow flags.
constexpr uint32_t kRdwInvalidate = 0x0001;
constexpr uint32_t kRdwErase = 0x0004;
constexpr uint32_t kRdwUpdateNow = 0x0100;

// SendMessageTimeout flags.
constexpr uint32_t kSmtoAbortIfHung = 0x0002;
constexpr uint32_t kSmtoNoTimeoutIfNotHung = 0x0008;

// MessageBox types and answers.
constexpr uint32_t kMbOk = 0x00;
constexpr uint32_t kMbOkCancel = 0x01;
constexpr uint32_t kMbIconError = 0x10;
constexpr uint32_t kMbIconExclamation = 0x30;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Window errors (GetLastError).
constexpr long kErrorInvalidWindowHandle = 1400;
constexpr long kErrorTopLevelWithChildStyle = 1406;
constexpr long kErrorCannotFindWindowClass = 1407;

// Every message the dialog procedure of the control window sees. Answer true
// when the message was handled; result is then the message's result.
using ControlMessageHandler =
    std::function<bool(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result)>;

// The control's own window. Create makes it a child of parent from a
// template without controls (extended styles WS_EX_CONTROLPARENT and
// WS_EX_NOPARENTNOTIFY; WS_CHILD, WS_CLIPSIBLINGS, WS_CLIPCHILDREN,
// DS_CONTROL, DS_SETFONT; at 4096, 4096, 1 x 1 dialog units; "MS Sans
// Serif" 8 points). WM_INITDIALOG reaches the handler during Create, with
// Handle() already valid. Destroying the object destroys the window.
class ControlWindow {
 public:
  explicit ControlWindow(ControlMessageHandler handler);
  ~ControlWindow();
  ControlWindow(const ControlWindow&) = delete;
  ControlWindow& operator=(const ControlWindow&) = delete;

  // False (last error set) when the window cannot be made.
  bool Create(WindowHandle parent);
  void Destroy();
  WindowHandle Handle() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// LoadLibraryA("comctl32.dll"): the library of the progress bars. False,
// with the last error set, when it cannot be loaded. The posix window
// model has its progress bars built in, so there is nothing to load.
bool LoadCommonControlsLibrary();

// A top-level window without a frame that holds a control: the window a
// host without a container of its own (the command-line host, tests)
// places the control in. Made hidden; ShowWindowAs shows it.
WindowHandle CreateHostWindow(const std::string& title, int32_t width, int32_t height);

// CreateWindowExA with no extended style. 0, with the last error set, when
// the window cannot be made.
WindowHandle CreateChildWindow(WindowHandle parent, const char* className, const std::string& text,
                               uint32_t style, int32_t x, int32_t y, int32_t width, int32_t height);
bool DestroyWindowNow(WindowHandle window);
bool IsWindowAlive(WindowHandle window);

// GetWindowRect (screen coordinates) and GetClientRect.
bool ReadWindowRect(WindowHandle window, WindowRect& rect);
bool ReadClientRect(WindowHandle window, WindowRect& rect);
// The window's rectangle in its parent's client coordinates (the control's
// position rectangle for the control window).
bool ReadPositionRect(WindowHandle window, WindowRect& rect);
// GetAncestor(GA_ROOT).
WindowHandle TopLevelAncestor(WindowHandle window);
// MoveWindow: x and y in the parent's client coordinates.
bool MoveWindowTo(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                  bool repaint);

std::string ReadWindowText(WindowHandle window);  // WM_GETTEXT
bool WriteWindowText(WindowHandle window, const std::string& text);
std::string ReadClassName(WindowHandle window);
uint32_t ReadWindowStyle(WindowHandle window);
// Direct children, in creation order.
std::vector<WindowHandle> ChildWindows(WindowHandle parent);

enum class ShowCommand { Hide = 0, ShowNormal = 1 };
bool ShowWindowAs(WindowHandle window, ShowCommand command);
bool EnableWindowInput(WindowHandle window, bool enable);
bool IsWindowInputEnabled(WindowHandle window);
bool UpdateWindowNow(WindowHandle window);
bool RedrawWindowNow(WindowHandle window, uint32_t flags);

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);
intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);
bool SendWindowMessageTimeout(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, uint32_t flags, uint32_t timeoutMs,
                              intptr_t& result);
bool SetWindowTimer(WindowHandle window, uintptr_t id, uint32_t elapseMs);
bool KillWindowTimer(WindowHandle window, uintptr_t id);

// SetFocus; BringWindowToTop.
bool GiveFocus(WindowHandle window);
bool BringToTop(WindowHandle window);

// MessageBoxA(owner, text, caption, type); the button pressed (kIdOk,
// kIdCancel, ...), 0 when no box could be shown. posix has no desktop: the
// box is one line of the debugger output and the answer is its first
// button.
int ShowMessageBoxOn(WindowHandle owner, const std::string& text, const std::string& caption,
                     uint32_t type);

// The width in pixels of text in the window's font (GetTextExtentPoint32A
// with the font WM_GETFONT gives). posix: the model draws nothing; a
// character is as wide as the dialog font's average character (6 pixels).
bool MeasureTextWidth(WindowHandle window, const std::string& text, int32_t& width);

// GetDC / ReleaseDC, SetBkMode(TRANSPARENT), GetBkMode (1 transparent, 2
// opaque).
DeviceContext AcquireDeviceContext(WindowHandle window);
void ReleaseDeviceContext(WindowHandle window, DeviceContext context);
bool SetTransparentBackground(DeviceContext context);
int ReadBackgroundMode(DeviceContext context);

// The rectangle a WM_WINDOWPOSCHANGED message carries (its WINDOWPOS): x,
// y, x + cx, y + cy.
bool ReadWindowPosChange(intptr_t lParam, WindowRect& rect);

}  // namespace platform
