#include "recording_sink.h"

#include <gtest/gtest.h>

#include "com/ComText.h"
#include "com/varnik_h.h"

STDMETHODIMP RecordingSink::QueryInterface(REFIID iid, void** result) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, DIID_ILoaderEvents)) {
    *result = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) RecordingSink::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    if (destroyed) *destroyed = true;
    delete this;
  }
  return left;
}

STDMETHODIMP RecordingSink::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  EXPECT_TRUE(IsEqualIID(iid, IID_NULL));
  EXPECT_EQ(flags, DISPATCH_METHOD);
  EXPECT_EQ(params->cNamedArgs, 0u);
  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(exception, nullptr);
  EXPECT_EQ(argumentError, nullptr);
  EventCall call{name_, id, {}};
  for (UINT i = params->cArgs; i-- > 0;) {
    const VARIANTARG& argument = params->rgvarg[i];
    if (argument.vt == VT_I4) {
      call.arguments.push_back("i4:" + std::to_string(argument.lVal));
    } else if (argument.vt == VT_BSTR) {
      call.arguments.push_back("bstr:" + NVarnik::AnsiFromBstr(argument.bstrVal));
    } else {
      call.arguments.push_back("vt:" + std::to_string(argument.vt));
    }
  }
  calls_.push_back(call);
  return onCall();
}
