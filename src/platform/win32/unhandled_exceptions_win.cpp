#include <windows.h>

#include "platform/UnhandledExceptions.h"

namespace platform {
namespace {

UnhandledExceptionReporter g_report = nullptr;

LONG WINAPI LastChanceFilter(EXCEPTION_POINTERS* pointers) {
  if (g_report) {
    if (pointers && pointers->ExceptionRecord) {
      const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
      ExceptionFacts facts;
      facts.code = record.ExceptionCode;
      facts.address = reinterpret_cast<uintptr_t>(record.ExceptionAddress);
      facts.flags = record.ExceptionFlags;
      g_report(&facts);
    } else {
      g_report(nullptr);
    }
  }
  // The process is in an unknown state: no DLL gets to run its detach code.
  TerminateProcess(GetCurrentProcess(), 1);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void InstallUnhandledExceptionFilter(UnhandledExceptionReporter report) {
  g_report = report;
  SetUnhandledExceptionFilter(LastChanceFilter);
}

}  // namespace platform
