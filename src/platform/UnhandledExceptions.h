// The process's last-chance handler for a fault nobody caught.
#pragma once

#include <cstdint>

namespace platform {

struct ExceptionFacts {
  uint32_t code = 0;      // the exception code
  uintptr_t address = 0;  // where it happened
  uint32_t flags = 0;     // the exception flags
};

// Called with the facts, or with null when the system gave no exception
// record; the process ends with exit code 1 as soon as it returns.
using UnhandledExceptionReporter = void (*)(const ExceptionFacts* facts);

// win32: SetUnhandledExceptionFilter. posix: an uncaught C++ exception
// (std::terminate, reported without a record) and the fault signals
// SIGSEGV, SIGBUS, SIGILL and SIGFPE (reported with the Windows exception
// code of the same fault and the faulting address).
//
// Every install is one hold on the handler (one per control); the handler
// that was in place before the first hold is kept.
void InstallUnhandledExceptionFilter(UnhandledExceptionReporter report);
// Drops one hold; when none is left the earlier handler is put back, so
// nothing points into code that may be unloaded.
void ReleaseUnhandledExceptionFilter();
// Puts the earlier handler back whatever the holds: the module that holds
// the handler's code is going away.
void RestoreUnhandledExceptionFilter();

}  // namespace platform
