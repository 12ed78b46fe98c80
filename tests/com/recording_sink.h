// An ILoaderEvents sink written for the tests: it records every event with
// its dispid and arguments, answers what onCall answers, and has a
// reference count of its own, so a test can see when it goes.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>
#include <vector>

struct EventCall {
  std::string sink;
  DISPID dispid;
  std::vector<std::string> arguments;  // in the event's own order: "i4:2", "bstr:text"
};

class RecordingSink : public IDispatch {
 public:
  // Starts with one reference, the creator's.
  RecordingSink(std::string name, std::vector<EventCall>& calls)
      : name_(std::move(name)), calls_(calls) {}

  std::function<HRESULT()> onCall = [] { return S_OK; };
  bool* destroyed = nullptr;

  STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

 private:
  virtual ~RecordingSink() = default;
  std::string name_;
  std::vector<EventCall>& calls_;
  ULONG references_ = 1;
};
