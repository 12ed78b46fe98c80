// No browser hosts the control here: there is no menu or tool bar to switch
// off, no keyboard hook and no in-place object to give keys to.
#include <atomic>

#include "platform/BrowserHost.h"

namespace platform {
namespace {

std::atomic<HostKind> g_hostKind{HostKind::Unknown};

}  // namespace

bool BrowserHostSupported() { return false; }

HostKind CurrentHostKind() { return g_hostKind; }

void SetHostKind(HostKind kind) { g_hostKind = kind; }

HostKind PrepareBrowserHost(void*, WindowHandle, bool) { return g_hostKind; }

bool InstallKeyboardHook() { return false; }

void RemoveKeyboardHook() {}

void RecordInPlaceObject(WindowHandle, void*) {}

void ClearInPlaceObjects() {}

}  // namespace platform
