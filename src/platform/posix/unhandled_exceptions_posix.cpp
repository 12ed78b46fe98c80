// Faults end the process the way the Windows filter ends it: one report,
// exit code 1. The report formats text, which a signal handler should not
// do; it is the last thing the process does.
#include <signal.h>
#include <unistd.h>

#include <exception>
#include <initializer_list>

#include "platform/UnhandledExceptions.h"

namespace platform {
namespace {

UnhandledExceptionReporter g_report = nullptr;

uint32_t WindowsExceptionCode(int signal) {
  switch (signal) {
    case SIGILL: return 0xC000001D;  // EXCEPTION_ILLEGAL_INSTRUCTION
    case SIGFPE: return 0xC0000094;  // EXCEPTION_INT_DIVIDE_BY_ZERO
    default: return 0xC0000005;      // EXCEPTION_ACCESS_VIOLATION
  }
}

void OnFaultSignal(int signal, siginfo_t* info, void*) {
  ExceptionFacts facts;
  facts.code = WindowsExceptionCode(signal);
  facts.address = info ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
  if (g_report) g_report(&facts);
  _exit(1);
}

void OnTerminate() {
  if (g_report) g_report(nullptr);
  _exit(1);
}

}  // namespace

void InstallUnhandledExceptionFilter(UnhandledExceptionReporter report) {
  g_report = report;
  std::set_terminate(OnTerminate);
  struct sigaction action {};
  action.sa_sigaction = OnFaultSignal;
  action.sa_flags = SA_SIGINFO | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) sigaction(signal, &action, nullptr);
}

}  // namespace platform
