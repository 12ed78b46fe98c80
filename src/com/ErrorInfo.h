// Failures described to COM callers: the text goes into the calling
// thread's error object, which a C++ caller reads with GetErrorInfo and a
// script engine shows as the error's description.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "com/ComObject.h"

namespace NVarnik {

// Sets the thread's error object (description, source, interface) and
// returns result, so a method can end with `return ReportError(...)`.
HRESULT ReportError(const std::string& description, const wchar_t* source, REFIID iid,
                    HRESULT result);

// ISupportErrorInfo for every interface in T's interface map.
template <class T>
class SupportErrorInfo : public ISupportErrorInfo {
 public:
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISupportErrorInfo)) return S_FALSE;
    return FindInterface(T::InterfaceMap(), static_cast<T*>(this), iid) ? S_OK : S_FALSE;
  }
};

}  // namespace NVarnik
