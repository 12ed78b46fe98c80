#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <string>

#include "platform/ControlHosting.h"

namespace platform {
namespace {

using AtlAxWinInitFunction = BOOL(WINAPI*)();
using AtlAxCreateControlFunction = HRESULT(WINAPI*)(LPCOLESTR name, HWND window, IStream* stream,
                                                   IUnknown** container);
using AtlAxGetControlFunction = HRESULT(WINAPI*)(HWND window, IUnknown** control);

constexpr char kHostClass[] = "AtlAxWin";

// atl.dll's entry points, found once; the library stays loaded for the
// process because its window class does.
struct HostingLibrary {
  AtlAxCreateControlFunction createControl = nullptr;
  AtlAxGetControlFunction getControl = nullptr;
  bool ready = false;

  static const HostingLibrary& Get() {
    static const HostingLibrary library;
    return library;
  }

 private:
  HostingLibrary() {
    HMODULE module = LoadLibraryA("atl.dll");
    if (!module) return;
    auto entry = [module](const char* name) {
      return reinterpret_cast<void*>(GetProcAddress(module, name));
    };
    auto init = reinterpret_cast<AtlAxWinInitFunction>(entry("AtlAxWinInit"));
    createControl = reinterpret_cast<AtlAxCreateControlFunction>(entry("AtlAxCreateControl"));
    getControl = reinterpret_cast<AtlAxGetControlFunction>(entry("AtlAxGetControl"));
    // AtlAxWinInit initialises OLE for the thread once more and never ends
    // it; the hosted control holds its own initialisation.
    ready = init && createControl && getControl && init();
    if (ready) OleUninitialize();
  }
};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  if (!text || !*text) return {};
  const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(static_cast<size_t>(length - 1));
  return narrow;
}

std::string SystemText(HRESULT result) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length) : std::string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.empty()) {
    char number[32];
    wsprintfA(number, "0x%08lX", static_cast<unsigned long>(result));
    text = number;
  }
  return text;
}

class AtlHostedControl : public HostedControl {
 public:
  AtlHostedControl() : oleResult_(OleInitialize(nullptr)) {}

  ~AtlHostedControl() override {
    if (dispatch_) dispatch_->Release();
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    if (container_) container_->Release();
    if (SUCCEEDED(oleResult_)) OleUninitialize();
  }

  HResult Create(HWND parent, const std::string& progId) {
    const HostingLibrary& library = HostingLibrary::Get();
    if (!library.ready) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    RECT area{};
    GetClientRect(parent, &area);
    // Made empty, so the control is created below with its result known.
    window_ = CreateWindowExA(0, kHostClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                              area.right - area.left, area.bottom - area.top, parent, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (!window_) return HRESULT_FROM_WIN32(GetLastError());
    const std::wstring name = Wide(progId);
    // The container site is kept while the control is hosted: a library
    // whose host window does not hold it would otherwise drop the control.
    HRESULT result = library.createControl(name.c_str(), window_, nullptr, &container_);
    if (FAILED(result)) return result;
    IUnknown* control = nullptr;
    result = library.getControl(window_, &control);
    if (FAILED(result) || !control) return FAILED(result) ? result : E_NOINTERFACE;
    control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_));
    control->Release();
    return S_OK;
  }

  WindowHandle Window() const override {
    return window_ && IsWindow(window_) ? reinterpret_cast<WindowHandle>(window_) : 0;
  }

  HResult FindProperty(const std::string& name, int32_t& dispatchId) override {
    if (!dispatch_) return E_NOINTERFACE;
    std::wstring wide = Wide(name);
    LPOLESTR names[] = {&wide[0]};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT result =
        dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
    if (SUCCEEDED(result)) dispatchId = id;
    return result;
  }

  HResult PutProperty(int32_t dispatchId, const std::string& value,
                      std::string& errorText) override {
    if (!dispatch_) {
      errorText = SystemText(E_NOINTERFACE);
      return E_NOINTERFACE;
    }
    const std::wstring wide = Wide(value);
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!argument.bstrVal) {
      errorText = SystemText(E_OUTOFMEMORY);
      return E_OUTOFMEMORY;
    }
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS parameters{&argument, &named, 1, 1};
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const HRESULT result =
        dispatch_->Invoke(dispatchId, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYPUT,
                          &parameters, nullptr, &exception, &argumentError);
    VariantClear(&argument);
    if (FAILED(result)) {
      if (result == DISP_E_EXCEPTION && exception.pfnDeferredFillIn)
        exception.pfnDeferredFillIn(&exception);
      errorText = result == DISP_E_EXCEPTION ? Narrow(exception.bstrDescription) : std::string();
      if (errorText.empty())
        errorText = SystemText(result == DISP_E_EXCEPTION && FAILED(exception.scode)
                                   ? exception.scode
                                   : result);
    }
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return result;
  }

 private:
  HRESULT oleResult_;
  HWND window_ = nullptr;
  IUnknown* container_ = nullptr;
  IDispatch* dispatch_ = nullptr;
};

}  // namespace

bool ControlHostingSupported() { return true; }

std::unique_ptr<HostedControl> HostedControl::Create(WindowHandle parent, const std::string& progId,
                                                     HResult& result) {
  auto control = std::make_unique<AtlHostedControl>();
  result = control->Create(reinterpret_cast<HWND>(parent), progId);
  if (FAILED(result)) return nullptr;
  return control;
}

}  // namespace platform
