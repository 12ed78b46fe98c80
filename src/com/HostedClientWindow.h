// The window in which the control hosts the client's user interface: the
// first child of the control window, a host window of the system's
// control-hosting library. Taking the control off its page detaches the
// hosted client from that window first.
#pragma once

#include <windows.h>

namespace NVarnik {

// Detaches the hosted control from the host window that is the first child
// of controlWindow (IAxWinHostWindow::AttachControl with no control and no
// window) and sends that window WM_DESTROY. Nothing happens when the first
// child is not such a host window, or when no hosting library is loaded.
// True when a hosted control was detached.
bool DetachHostedClient(HWND controlWindow);

}  // namespace NVarnik
