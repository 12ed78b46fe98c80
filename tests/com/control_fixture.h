// The Loader control from this build's varnik.dll, created through its
// class object, with a host window to activate it in and the debugger
// output captured. Also a property bag of the test's own, standing for the
// PARAM values of a page.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <map>
#include <string>

#include "com/varnik_h.h"
#include "com_test_support.h"
#include "debug_output_capture.h"
#include "test_machine.h"

// Answers Read with the value it holds whatever type is asked for, as a
// careless container might; E_INVALIDARG for a name it does not hold.
class TestPropertyBag : public IPropertyBag {
 public:
  TestPropertyBag() = default;
  ~TestPropertyBag();
  TestPropertyBag(const TestPropertyBag&) = delete;
  TestPropertyBag& operator=(const TestPropertyBag&) = delete;

  void SetText(const std::wstring& name, const std::wstring& text);
  void SetInt(const std::wstring& name, LONG value);
  // The value held, or VT_EMPTY.
  const VARIANT& Value(const std::wstring& name);
  bool Holds(const std::wstring& name) const { return values_.count(name) != 0; }

  // Lives on the test's stack: references are not counted.
  STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

 private:
  std::map<std::wstring, VARIANT> values_;
};

class ControlTest : public MachineTest {
 protected:
  ControlTest();
  ~ControlTest() override;

  // A new control of varnik.dll, as ILoader4.
  ILoader4* NewControl();
  template <class I>
  I* As(IUnknown* object, REFIID iid) {
    I* answer = nullptr;
    EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&answer)), S_OK);
    return answer;
  }

  // Dispatches what waits in the thread's queue; PumpUntil until done()
  // holds or the seconds passed.
  static void Pump();
  static bool PumpUntil(const std::function<bool()>& done, int seconds = 5);

  bool Logged(const std::string& level, const std::string& location,
              const std::string& message) const;
  int LinesMentioning(const std::string& text) const;

  ComApartment apartment_;
  DebugOutputCapture debug_;
  LoadedVarnik varnik_;
  HWND host_ = nullptr;      // a top-level window for the control's window
  ILoader4* loader_ = nullptr;  // made by the fixture, released by it
};

// ASCII text as wide text.
std::wstring Wide(const std::string& text);

// A BSTR for the length of a statement: loader->put_SetupFile(Text(L"x")).
class Text {
 public:
  explicit Text(const std::wstring& text)
      : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Text() { SysFreeString(text_); }
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  operator BSTR() const { return text_; }

 private:
  BSTR text_;
};

// The whole text of a BSTR a getter returned, which is freed; "<null>" for
// a null BSTR.
std::wstring Taken(BSTR text);

// A property read through the vtable: its text ("<null>" for a null BSTR,
// "<failed>" when the getter fails), or its flag (-2 when it fails).
template <class Getter>
std::wstring TextOf(ILoader4* loader, Getter getter) {
  BSTR text = nullptr;
  return FAILED((loader->*getter)(&text)) ? L"<failed>" : Taken(text);
}
template <class Getter>
VARIANT_BOOL FlagOf(ILoader4* loader, Getter getter) {
  VARIANT_BOOL flag = 0;
  return FAILED((loader->*getter)(&flag)) ? -2 : flag;
}

// A property through IDispatch::Invoke, as a script sets and reads it.
HRESULT PutByDispatch(IDispatch* object, DISPID id, VARIANT value);
HRESULT GetByDispatch(IDispatch* object, DISPID id, VARIANT* value);
