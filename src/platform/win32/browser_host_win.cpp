// The browser around the control: its menu and tool bars, the keyboard
// hook for the host that is not a web-browser service, and the table of
// in-place active objects that hook hands keys to.
#include <windows.h>
#include <exdisp.h>
#include <oleidl.h>
#include <servprov.h>
#include <shlguid.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/BrowserHost.h"
#include "platform/TextCompare.h"

namespace platform {
namespace {

const char kNetscapeProcess[] = "Netscape.exe";
const char kNetscapeViewClass[] = "Afx:400000:808:10008:10:0";

std::atomic<HostKind> g_hostKind{HostKind::Unknown};
HHOOK g_keyboardHook = nullptr;

std::mutex& TableLock() {
  static std::mutex lock;
  return lock;
}

std::map<HWND, IOleInPlaceActiveObject*>& InPlaceObjects() {
  static auto* table = new std::map<HWND, IOleInPlaceActiveObject*>();
  return *table;
}

template <typename Browser>
void HideBrowserBars(Browser* browser) {
  browser->put_MenuBar(VARIANT_FALSE);
  browser->put_ToolBar(FALSE);
}

void PrepareWebBrowser(IServiceProvider* services, bool hideBrowserUi) {
  IWebBrowser2* browser = nullptr;
  if (SUCCEEDED(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                       reinterpret_cast<void**>(&browser)))) {
    if (hideBrowserUi) HideBrowserBars(browser);
    browser->Release();
    return;
  }
  IDispatch* dispatch = nullptr;
  if (FAILED(services->QueryService(SID_SWebBrowserApp, IID_IDispatch,
                                    reinterpret_cast<void**>(&dispatch))))
    return;
  IWebBrowserApp* application = nullptr;
  if (SUCCEEDED(
          dispatch->QueryInterface(IID_IWebBrowserApp, reinterpret_cast<void**>(&application)))) {
    if (hideBrowserUi) HideBrowserBars(application);
    application->Release();
  }
  dispatch->Release();
}

bool IsNetscapeProcess() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  const char* name = strrchr(path, '\\');
  return OrdinalEqualsNoCase(name ? name + 1 : path, kNetscapeProcess);
}

void HideNetscapeChrome(HWND control) {
  HWND top = GetAncestor(control, GA_ROOT);
  if (!top) return;
  if (HMENU menu = GetMenu(top)) {
    for (int item = GetMenuItemCount(menu) - 1; item >= 0; --item)
      RemoveMenu(menu, item, MF_BYPOSITION);
    DrawMenuBar(top);
  }
  if (HWND view = FindWindowExA(top, nullptr, kNetscapeViewClass, nullptr))
    ShowWindow(view, SW_HIDE);
  RECT rect;
  if (GetWindowRect(top, &rect))
    SendMessageA(top, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
}

HWND EnclosingControlWindow(HWND window) {
  char className[64];
  for (; window; window = GetParent(window)) {
    if (GetClassNameA(window, className, sizeof(className)) &&
        OrdinalEqualsNoCase(className, "VarnikWindow"))
      return window;
  }
  return nullptr;
}

bool IsArrowKey(WPARAM key) {
  return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN;
}

// Returns true when the key is swallowed.
bool HandleKey(WPARAM key, LPARAM keyData) {
  HWND focus = GetFocus();
  if (!focus || !GetParent(focus)) return false;
  HWND control = EnclosingControlWindow(focus);
  if (!control) return false;
  if (key == VK_ESCAPE) {
    if (GetWindowLongPtrA(focus, GWL_STYLE) & 0x40) SendMessageA(focus, WM_UNDO, 0, 0);
    HWND parent = GetParent(focus);
    SetFocus(parent);
    return GetFocus() == parent;
  }
  if (IsArrowKey(key) && (keyData & 0x80000000)) return true;
  IOleInPlaceActiveObject* object = nullptr;
  {
    std::lock_guard<std::mutex> guard(TableLock());
    auto found = InPlaceObjects().find(control);
    if (found == InPlaceObjects().end()) return false;
    object = found->second;
    object->AddRef();
  }
  MSG message{};
  message.hwnd = focus;
  message.message = WM_KEYDOWN;
  message.wParam = key;
  message.lParam = keyData;
  const bool translated = object->TranslateAccelerator(&message) == S_OK;
  object->Release();
  return translated;
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && g_hostKind == HostKind::NetscapeProcess && HandleKey(wParam, lParam))
    return 1;
  return CallNextHookEx(g_keyboardHook, code, wParam, lParam);
}

}  // namespace

bool BrowserHostSupported() { return true; }

HostKind CurrentHostKind() { return g_hostKind; }

void SetHostKind(HostKind kind) { g_hostKind = kind; }

HostKind PrepareBrowserHost(void* clientSite, WindowHandle control, bool hideBrowserUi) {
  IServiceProvider* services = nullptr;
  auto* site = static_cast<IUnknown*>(clientSite);
  if (site &&
      SUCCEEDED(site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services)))) {
    g_hostKind = HostKind::WebBrowser;
    PrepareWebBrowser(services, hideBrowserUi);
    services->Release();
  } else if (IsNetscapeProcess()) {
    g_hostKind = HostKind::NetscapeProcess;
    if (hideBrowserUi) HideNetscapeChrome(reinterpret_cast<HWND>(control));
  }
  return g_hostKind;
}

bool InstallKeyboardHook() {
  if (!g_keyboardHook)
    g_keyboardHook = SetWindowsHookExA(WH_KEYBOARD, KeyboardProc, nullptr, GetCurrentThreadId());
  return g_keyboardHook != nullptr;
}

void RemoveKeyboardHook() {
  if (g_keyboardHook && UnhookWindowsHookEx(g_keyboardHook)) g_keyboardHook = nullptr;
}

void RecordInPlaceObject(WindowHandle control, void* inPlaceObject) {
  auto* object = static_cast<IOleInPlaceActiveObject*>(inPlaceObject);
  if (object) object->AddRef();
  IOleInPlaceActiveObject* earlier = nullptr;
  {
    std::lock_guard<std::mutex> guard(TableLock());
    auto& entry = InPlaceObjects()[reinterpret_cast<HWND>(control)];
    earlier = entry;
    entry = object;
    if (!object) InPlaceObjects().erase(reinterpret_cast<HWND>(control));
  }
  if (earlier) earlier->Release();
}

void ClearInPlaceObjects() {
  std::map<HWND, IOleInPlaceActiveObject*> released;
  {
    std::lock_guard<std::mutex> guard(TableLock());
    released.swap(InPlaceObjects());
  }
  for (auto& entry : released) {
    if (entry.second) entry.second->Release();
  }
}

}  // namespace platform
