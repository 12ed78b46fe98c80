#include <windows.h>

#include <mutex>

#include "platform/UnhandledExceptions.h"

namespace platform {
namespace {

std::mutex g_lock;
UnhandledExceptionReporter g_report = nullptr;
int g_holds = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previous = nullptr;

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

void PutPreviousBack() {
  SetUnhandledExceptionFilter(g_previous);
  g_previous = nullptr;
  g_report = nullptr;
  g_holds = 0;
}

}  // namespace

void InstallUnhandledExceptionFilter(UnhandledExceptionReporter report) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_report = report;
  LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(LastChanceFilter);
  if (g_holds++ == 0) g_previous = previous == LastChanceFilter ? nullptr : previous;
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
