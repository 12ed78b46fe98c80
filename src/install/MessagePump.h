// Keeps the thread's windows responsive between installation steps.
#pragma once

// Dispatches every message waiting for the thread and stops at WM_QUIT,
// which is not dispatched. The quit request is posted again on the way out,
// so the thread's own message loop still sees it and ends.
void PumpMessages();
