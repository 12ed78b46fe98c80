#include <windows.h>

#include "interrupt.h"

bool CanSendInterrupt() {
  // Ctrl-C goes to every process of the console: only a console of this
  // process's own is safe to use.
  static const bool own = AllocConsole() != FALSE;
  if (own) SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl-C is not ignored
  return own;
}

void SendInterrupt() { GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0); }
