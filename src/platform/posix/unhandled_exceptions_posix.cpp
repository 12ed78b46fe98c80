// Faults end the process the way the Windows filter ends it: one report,
// exit code 1. The report formats text, which a signal handler should not
// do; it is the last thing the process does.
#include <signal.h>
#include <unistd.h>

#include <exception>
#include <mutex>

#include "platform/UnhandledExceptions.h"

namespace platform {
namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
constexpr size_t kFaultSignalCount = sizeof(kFaultSignals) / sizeof(kFaultSignals[0]);

std::mutex g_lock;
UnhandledExceptionReporter g_report = nullptr;
int g_holds = 0;
// What was in place before the first hold.
struct sigaction g_previousActions[kFaultSignalCount];
std::terminate_handler g_previousTerminate = nullptr;

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

void PutPreviousBack() {
  for (size_t i = 0; i < kFaultSignalCount; ++i)
    sigaction(kFaultSignals[i], &g_previousActions[i], nullptr);
  std::set_terminate(g_previousTerminate);
  g_previousTerminate = nullptr;
  g_report = nullptr;
  g_holds = 0;
}

}  // namespace

void InstallUnhandledExceptionFilter(UnhandledExceptionReporter report) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_report = report;
  const bool first = g_holds++ == 0;
  const std::terminate_handler previous = std::set_terminate(OnTerminate);
  if (first) g_previousTerminate = previous;
  struct sigaction action {};
  action.sa_sigaction = OnFaultSignal;
  action.sa_flags = SA_SIGINFO | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < kFaultSignalCount; ++i)
    sigaction(kFaultSignals[i], &action, first ? &g_previousActions[i] : nullptr);
}

void ReleaseUnhandledExceptionFilter() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_holds > 0 && --g_holds == 0) PutPreviousBack();
}

void RestoreUnhandledExceptionFilter() {
  std::lock_guard<std::mutex> guard(g_lock);
  if (g_holds > 0) PutPreviousBack();
}

}  // namespace platform
