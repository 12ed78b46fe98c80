#include <windows.h>

#include "debug_output_capture.h"

namespace {

DebugOutputCapture* g_capture = nullptr;

LONG CALLBACK TakeDebugString(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
  if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 || !g_capture)
    return EXCEPTION_CONTINUE_SEARCH;
  const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
  const size_t length = static_cast<size_t>(record->ExceptionInformation[0]);
  // The length counts the terminating zero.
  g_capture->Add(std::string(text, length > 0 ? length - 1 : 0));
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

DebugOutputCapture::DebugOutputCapture() {
  g_capture = this;
  registration_ = AddVectoredExceptionHandler(1, TakeDebugString);
}

DebugOutputCapture::~DebugOutputCapture() {
  RemoveVectoredExceptionHandler(registration_);
  g_capture = nullptr;
}
