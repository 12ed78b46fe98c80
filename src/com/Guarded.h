// The edge of every COM-facing operation: no C++ exception crosses it.
#pragma once

#include <windows.h>

#include <new>
#include <string>

#include "infra/SimpleLogger.h"

namespace NVarnik {

// body's result; E_OUTOFMEMORY when it ran out of memory, E_UNEXPECTED (and
// "Unknown exception" in the log) for any other exception.
template <class Body>
HRESULT Guarded(const std::string& location, Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SimpleLogger::GetInstance()->Error(location, "Out of memory");
    return E_OUTOFMEMORY;
  } catch (...) {
    SimpleLogger::GetInstance()->Error(location, "Unknown exception");
    return E_UNEXPECTED;
  }
}

}  // namespace NVarnik
