#include <errno.h>
#include <signal.h>

#include <exception>

#include "system_probes.h"

// A child the loader ended has been reaped, so its id is gone.
bool ProcessRuns(uint32_t processId) {
  return kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

uintptr_t CurrentFaultHandler() {
  struct sigaction action {};
  sigaction(SIGSEGV, nullptr, &action);
  const auto signalHandler = reinterpret_cast<uintptr_t>(
      (action.sa_flags & SA_SIGINFO) ? reinterpret_cast<void*>(action.sa_sigaction)
                                     : reinterpret_cast<void*>(action.sa_handler));
  return signalHandler ^ reinterpret_cast<uintptr_t>(std::get_terminate());
}
