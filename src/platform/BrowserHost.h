// What the control does to the browser that hosts it: switching off the
// browser's menu and tool bars, a thread keyboard hook that gives the keys
// of a control window to its in-place active object, and the process-wide
// table the hook reads. These exist only where a browser hosts the control:
// the posix port answers that it has none (BrowserHostSupported is false)
// and its operations do nothing.
#pragma once

#include "platform/WindowSystem.h"

namespace platform {

// 0: not yet known; 1: a host that offers the web-browser service; 2: a
// host process named "Netscape.exe".
enum class HostKind { Unknown = 0, WebBrowser = 1, NetscapeProcess = 2 };

bool BrowserHostSupported();

// Process-wide; the keyboard hook acts only for NetscapeProcess.
HostKind CurrentHostKind();
void SetHostKind(HostKind kind);

// clientSite is the container site's IUnknown (may be null). Asks it for
// the web-browser service, else looks at the host process's name; with
// hideBrowserUi the browser's menu bar and tool bar are switched off (the
// menu items of a "Netscape.exe" top-level window are removed and its
// "Afx:400000:808:10008:10:0" child hidden). Sets and returns the host kind.
HostKind PrepareBrowserHost(void* clientSite, WindowHandle control, bool hideBrowserUi);

// WH_KEYBOARD for the calling thread, once per process; true when a hook is
// in place afterwards.
bool InstallKeyboardHook();
void RemoveKeyboardHook();

// inPlaceObject is the control's IOleInPlaceActiveObject; the table keeps a
// reference, and an earlier entry for the same window is released.
void RecordInPlaceObject(WindowHandle control, void* inPlaceObject);
void ClearInPlaceObjects();

}  // namespace platform
