#include "com/HostedClientWindow.h"

#include <unknwn.h>

#include "com/ComPtr.h"

namespace NVarnik {

namespace {

// The host window's interface of the control-hosting library, as the
// library publishes it.
MIDL_INTERFACE("B6EA2050-048A-11d1-82B9-00C04FB9942E")
IAxWinHostWindow : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateControl(LPCOLESTR name, HWND window,
                                                  IStream* stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateControlEx(LPCOLESTR name, HWND window, IStream* stream,
                                                    IUnknown** control, REFIID sinkIid,
                                                    IUnknown* sink) = 0;
  virtual HRESULT STDMETHODCALLTYPE AttachControl(IUnknown* control, HWND window) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryControl(REFIID iid, void** control) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExternalDispatch(IDispatch* dispatch) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetExternalUIHandler(IUnknown* handler) = 0;
};

const IID kIAxWinHostWindow = {0xb6ea2050, 0x048a, 0x11d1,
                               {0x82, 0xb9, 0x00, 0xc0, 0x4f, 0xb9, 0x94, 0x2e}};

using AtlAxGetHostFunction = HRESULT(WINAPI*)(HWND window, IUnknown** host);

// The library is never loaded for this: a client hosted through it has
// loaded it already.
const wchar_t* const kHostingLibraries[] = {L"atl.dll", L"atl110.dll", L"atl100.dll",
                                            L"atl90.dll", L"atl80.dll"};

bool HostWindowOf(HWND window, ComPtr<IAxWinHostWindow>& hostWindow) {
  for (const wchar_t* library : kHostingLibraries) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) continue;
    auto getHost = reinterpret_cast<AtlAxGetHostFunction>(
        reinterpret_cast<void*>(GetProcAddress(module, "AtlAxGetHost")));
    ComPtr<IUnknown> host;
    if (!getHost || FAILED(getHost(window, host.Address())) || !host) continue;
    if (SUCCEEDED(host->QueryInterface(kIAxWinHostWindow, hostWindow.Out())) && hostWindow)
      return true;
  }
  return false;
}

}  // namespace

bool DetachHostedClient(HWND controlWindow) {
  HWND hosted = controlWindow ? GetWindow(controlWindow, GW_CHILD) : nullptr;
  ComPtr<IAxWinHostWindow> hostWindow;
  if (!hosted || !HostWindowOf(hosted, hostWindow)) return false;
  hostWindow->AttachControl(nullptr, nullptr);
  SendMessageW(hosted, WM_DESTROY, 0, 0);
  return true;
}

}  // namespace NVarnik
