// The window operations over the posix window model. Rectangles, texts,
// styles and progress-bar state behave as the window manager keeps them;
// there is no drawing, so updates and redraws only check the window.
#include <map>
#include <mutex>

#include "platform/LastError.h"
#include "platform/TextCompare.h"
#include "platform/WindowSystem.h"
#include "platform/posix/window_model.h"

namespace platform {
namespace {

using posix::ModelWindow;
using posix::WindowModel;

WindowModel& Model() { return WindowModel::Instance(); }

// The registered names GetClassName answers with.
std::string RegisteredClassName(const char* className) {
  const std::string name(className ? className : "");
  for (const char* known : {"Static", "Edit", "msctls_progress32"}) {
    if (OrdinalEqualsNoCase(name, known)) return known;
  }
  return {};
}

bool Exists(WindowHandle window) {
  ModelWindow record;
  if (Model().Find(window, record)) return true;
  SetLastErrorCode(kErrorInvalidWindowHandle);
  return false;
}

// Dialog units of "MS Sans Serif" 8 points at 96 dots per inch.
constexpr int32_t kDialogBaseX = 6;
constexpr int32_t kDialogBaseY = 13;

struct ContextState {
  WindowHandle window = 0;
  int backgroundMode = 2;  // OPAQUE
};

std::mutex& ContextLock() {
  static std::mutex lock;
  return lock;
}

std::map<DeviceContext, ContextState>& Contexts() {
  static auto* contexts = new std::map<DeviceContext, ContextState>();
  return *contexts;
}

void DestroyTree(WindowHandle window) {
  // WM_DESTROY reaches a window before its children, WM_NCDESTROY after.
  ModelWindow record;
  if (!Model().Find(window, record)) return;
  bool handled = false;
  Model().Deliver(window, kWmDestroy, 0, 0, handled);
  for (WindowHandle child : record.children) DestroyTree(child);
  Model().Deliver(window, kWmNcDestroy, 0, 0, handled);
  Model().Remove(window);
}

}  // namespace

class ControlWindow::Impl {
 public:
  std::shared_ptr<ControlMessageHandler> handler;
  WindowHandle window = 0;
};

ControlWindow::ControlWindow(ControlMessageHandler handler) : impl_(std::make_unique<Impl>()) {
  Impl* impl = impl_.get();
  auto user = std::make_shared<ControlMessageHandler>(std::move(handler));
  impl->handler = std::make_shared<ControlMessageHandler>(
      [impl, user](uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
        const bool handled = (*user)(message, wParam, lParam, result);
        if (message == kWmNcDestroy) impl->window = 0;
        return handled;
      });
}

ControlWindow::~ControlWindow() { Destroy(); }

bool ControlWindow::Create(WindowHandle parent) {
  if (impl_->window) return true;
  if (!parent) {
    SetLastErrorCode(kErrorTopLevelWithChildStyle);
    return false;
  }
  const WindowRect position{4096 * kDialogBaseX / 4, 4096 * kDialogBaseY / 8,
                            4097 * kDialogBaseX / 4, 4097 * kDialogBaseY / 8};
  const WindowHandle window =
      Model().Add(parent, "VarnikWindow", "", kWsChild, position, impl_->handler);
  if (!window) return false;
  impl_->window = window;
  bool handled = false;
  Model().Deliver(window, kWmInitDialog, 0, 0, handled);
  return true;
}

void ControlWindow::Destroy() {
  if (impl_ && impl_->window) DestroyTree(impl_->window);
}

WindowHandle ControlWindow::Handle() const { return impl_->window; }

WindowHandle CreateHostWindow(const std::string& title, int32_t width, int32_t height) {
  return Model().Add(0, "VarnikHostWindow", title, 0, {0, 0, width, height}, nullptr);
}

WindowHandle CreateChildWindow(WindowHandle parent, const char* className, const std::string& text,
                               uint32_t style, int32_t x, int32_t y, int32_t width,
                               int32_t height) {
  const std::string registered = RegisteredClassName(className);
  if (registered.empty()) {
    SetLastErrorCode(kErrorCannotFindWindowClass);
    return 0;
  }
  if (!parent && (style & kWsChild)) {
    SetLastErrorCode(kErrorTopLevelWithChildStyle);
    return 0;
  }
  return Model().Add(parent, registered, text, style, {x, y, x + width, y + height}, nullptr);
}

bool DestroyWindowNow(WindowHandle window) {
  if (!Exists(window)) return false;
  DestroyTree(window);
  return true;
}

bool IsWindowAlive(WindowHandle window) {
  ModelWindow record;
  return window && Model().Find(window, record);
}

bool ReadWindowRect(WindowHandle window, WindowRect& rect) {
  ModelWindow record;
  int32_t x = 0, y = 0;
  if (!Model().Find(window, record) || !Model().ScreenOrigin(window, x, y)) return false;
  rect = {x, y, x + record.position.Width(), y + record.position.Height()};
  return true;
}

bool ReadClientRect(WindowHandle window, WindowRect& rect) {
  ModelWindow record;
  if (!Model().Find(window, record)) return false;
  rect = {0, 0, record.position.Width(), record.position.Height()};
  return true;
}

bool ReadPositionRect(WindowHandle window, WindowRect& rect) {
  ModelWindow record;
  if (!Model().Find(window, record)) return false;
  rect = record.position;
  return true;
}

WindowHandle TopLevelAncestor(WindowHandle window) {
  ModelWindow record;
  if (!Model().Find(window, record)) return 0;
  while (record.parent) {
    const WindowHandle parent = record.parent;
    if (!Model().Find(parent, record)) return parent;
  }
  return record.handle;
}

bool MoveWindowTo(WindowHandle window, int32_t x, int32_t y, int32_t width, int32_t height,
                  bool /*repaint*/) {
  WindowRect before;
  if (!ReadPositionRect(window, before)) return false;
  const WindowRect after{x, y, x + width, y + height};
  Model().Update(window, [&](ModelWindow& record) { record.position = after; });
  // As the window manager does: WM_WINDOWPOSCHANGED always, and WM_SIZE
  // from the default handling when the size changed.
  WindowRect change = after;
  bool handled = false;
  Model().Deliver(window, kWmWindowPosChanged, 0, reinterpret_cast<intptr_t>(&change), handled);
  if (!handled && (before.Width() != width || before.Height() != height)) {
    const intptr_t size = (static_cast<intptr_t>(height & 0xFFFF) << 16) | (width & 0xFFFF);
    Model().Deliver(window, kWmSize, 0, size, handled);
  }
  return true;
}

std::string ReadWindowText(WindowHandle window) {
  ModelWindow record;
  return Model().Find(window, record) ? record.text : std::string();
}

bool WriteWindowText(WindowHandle window, const std::string& text) {
  return Model().Update(window, [&](ModelWindow& record) { record.text = text; });
}

std::string ReadClassName(WindowHandle window) {
  ModelWindow record;
  return Model().Find(window, record) ? record.className : std::string();
}

uint32_t ReadWindowStyle(WindowHandle window) {
  ModelWindow record;
  return Model().Find(window, record) ? record.style : 0;
}

std::vector<WindowHandle> ChildWindows(WindowHandle parent) {
  ModelWindow record;
  return Model().Find(parent, record) ? record.children : std::vector<WindowHandle>();
}

bool ShowWindowAs(WindowHandle window, ShowCommand command) {
  return Model().Update(window, [&](ModelWindow& record) {
    if (command == ShowCommand::Hide) {
      record.style &= ~kWsVisible;
    } else {
      record.style |= kWsVisible;
    }
  });
}

bool EnableWindowInput(WindowHandle window, bool enable) {
  return Model().Update(window, [&](ModelWindow& record) { record.enabled = enable; });
}

bool IsWindowInputEnabled(WindowHandle window) {
  ModelWindow record;
  return Model().Find(window, record) && record.enabled;
}

bool UpdateWindowNow(WindowHandle window) { return Exists(window); }

bool RedrawWindowNow(WindowHandle window, uint32_t /*flags*/) { return Exists(window); }

bool PostWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  ModelWindow record;
  if (!Model().Find(window, record) || !record.queue) {
    SetLastErrorCode(kErrorInvalidWindowHandle);
    return false;
  }
  return record.queue->Post(message, wParam, lParam);
}

intptr_t SendWindowMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
  bool handled = false;
  return Model().Deliver(window, message, wParam, lParam, handled);
}

bool SendWindowMessageTimeout(WindowHandle window, uint32_t message, uintptr_t wParam,
                              intptr_t lParam, uint32_t /*flags*/, uint32_t /*timeoutMs*/,
                              intptr_t& result) {
  // Every model window belongs to this process and answers at once.
  if (!Exists(window)) return false;
  result = SendWindowMessage(window, message, wParam, lParam);
  return true;
}

bool SetWindowTimer(WindowHandle window, uintptr_t id, uint32_t elapseMs) {
  ModelWindow record;
  return Model().Find(window, record) && record.queue && record.queue->SetTimer(id, elapseMs);
}

bool KillWindowTimer(WindowHandle window, uintptr_t id) {
  ModelWindow record;
  return Model().Find(window, record) && record.queue && record.queue->KillTimer(id);
}

bool GiveFocus(WindowHandle window) { return Exists(window); }

bool BringToTop(WindowHandle window) { return Exists(window); }

bool MeasureTextWidth(WindowHandle window, const std::string& text, int32_t& width) {
  if (!Exists(window)) return false;
  constexpr int32_t kAverageCharacterWidth = 6;  // "MS Sans Serif" 8 points
  width = static_cast<int32_t>(text.size()) * kAverageCharacterWidth;
  return true;
}

DeviceContext AcquireDeviceContext(WindowHandle window) {
  if (!Exists(window)) return 0;
  std::lock_guard<std::mutex> guard(ContextLock());
  static DeviceContext last = 0x20000;
  last += 4;
  Contexts()[last] = {window, 2};
  return last;
}

void ReleaseDeviceContext(WindowHandle /*window*/, DeviceContext context) {
  std::lock_guard<std::mutex> guard(ContextLock());
  Contexts().erase(context);
}

bool SetTransparentBackground(DeviceContext context) {
  std::lock_guard<std::mutex> guard(ContextLock());
  auto found = Contexts().find(context);
  if (found == Contexts().end()) return false;
  found->second.backgroundMode = 1;  // TRANSPARENT
  return true;
}

int ReadBackgroundMode(DeviceContext context) {
  std::lock_guard<std::mutex> guard(ContextLock());
  auto found = Contexts().find(context);
  return found == Contexts().end() ? 0 : found->second.backgroundMode;
}

bool LoadCommonControlsLibrary() { return true; }

bool ReadWindowPosChange(intptr_t lParam, WindowRect& rect) {
  const auto* change = reinterpret_cast<const WindowRect*>(lParam);
  if (!change) return false;
  rect = *change;
  return true;
}

}  // namespace platform
