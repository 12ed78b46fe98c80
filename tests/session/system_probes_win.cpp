#include <windows.h>

#include "system_probes.h"

bool ProcessRuns(uint32_t processId) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return false;
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

uintptr_t CurrentFaultHandler() {
  // Asking means replacing for a moment.
  LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
  SetUnhandledExceptionFilter(current);
  return reinterpret_cast<uintptr_t>(current);
}
