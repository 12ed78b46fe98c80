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
void InstallUnhandledExceptionFilter(UnhandledExceptionReporter report);

}  // namespace platform
