// What the tests look at beyond the loader's own interfaces: whether a
// process still runs, and the process's last-chance fault handler.
#pragma once

#include <cstdint>

bool ProcessRuns(uint32_t processId);

// An identity of the fault handler in place (win32: the unhandled-exception
// filter; posix: the SIGSEGV action and the terminate handler together).
uintptr_t CurrentFaultHandler();
