#include "control_fixture.h"

#include <chrono>
#include <thread>

#include "platform/MessageLoop.h"
#include "platform/WindowSystem.h"

TestPropertyBag::~TestPropertyBag() {
  for (auto& entry : values_) VariantClear(&entry.second);
}

void TestPropertyBag::SetText(const std::wstring& name, const std::wstring& text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  Write(name.c_str(), &value);
  VariantClear(&value);
}

void TestPropertyBag::SetInt(const std::wstring& name, LONG number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = number;
  Write(name.c_str(), &value);
}

const VARIANT& TestPropertyBag::Value(const std::wstring& name) {
  static VARIANT empty{};
  auto found = values_.find(name);
  return found == values_.end() ? empty : found->second;
}

STDMETHODIMP TestPropertyBag::QueryInterface(REFIID iid, void** result) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag)) {
    *result = static_cast<IPropertyBag*>(this);
    return S_OK;
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP TestPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  auto found = values_.find(name);
  if (found == values_.end()) return E_INVALIDARG;
  VariantClear(value);
  return VariantCopy(value, &found->second);
}

STDMETHODIMP TestPropertyBag::Write(LPCOLESTR name, VARIANT* value) {
  VARIANT& held = values_[name];
  VariantClear(&held);
  return VariantCopy(&held, value);
}

ControlTest::ControlTest() {
  host_ = reinterpret_cast<HWND>(platform::CreateHostWindow("control test", 640, 480));
  EXPECT_NE(host_, nullptr);
  loader_ = NewControl();
}

ControlTest::~ControlTest() {
  if (loader_) loader_->Release();
  if (host_) DestroyWindow(host_);
  Pump();
  EXPECT_EQ(varnik_.CanUnloadNow(), S_OK) << "a control outlived its test";
}

ILoader4* ControlTest::NewControl() {
  ILoader4* loader = nullptr;
  EXPECT_EQ(varnik_.Create(CLSID_Loader, IID_ILoader4, reinterpret_cast<void**>(&loader)), S_OK);
  return loader;
}

void ControlTest::Pump() {
  int quitCode = 0;
  platform::DispatchWaitingMessages(quitCode);
}

bool ControlTest::PumpUntil(const std::function<bool()>& done, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    Pump();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool ControlTest::Logged(const std::string& level, const std::string& location,
                         const std::string& message) const {
  return debug_.Contains("ZEL\t" + level + "\t" + location + "\t" + message + "\t");
}

int ControlTest::LinesMentioning(const std::string& text) const {
  int count = 0;
  for (const std::string& line : debug_.Lines()) {
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring Taken(BSTR text) {
  if (!text) return L"<null>";
  std::wstring whole(text, SysStringLen(text));
  SysFreeString(text);
  return whole;
}

HRESULT PutByDispatch(IDispatch* object, DISPID id, VARIANT value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{&value, &named, 1, 1};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                        nullptr, nullptr);
}

HRESULT GetByDispatch(IDispatch* object, DISPID id, VARIANT* value) {
  DISPPARAMS none{};
  VariantInit(value);
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value,
                        nullptr, nullptr);
}
