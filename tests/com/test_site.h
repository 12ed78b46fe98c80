// A container's site written for the tests, playing the browser's part
// around a control: a window the control is activated in, the page's
// browser and security manager as services, the page's HTML document as its
// container. Each part can be left out. It records what the control tells
// it ("OnInPlaceActivate", "OnUIActivate", ...).
#pragma once

#include <windows.h>
#include <oleidl.h>
#include <servprov.h>

#include <string>
#include <vector>

#include "test_page.h"

class TestSite : public IOleClientSite,
                 public IOleInPlaceSite,
                 public IServiceProvider,
                 public IOleContainer {
 public:
  struct Offers {
    bool browser = true;          // SID_SWebBrowserApp
    bool securityManager = true;  // SID_SInternetSecurityManager
    bool document = false;        // the container's IHTMLDocument2
  };

  // Starts with one reference, the creator's. window: where the control is
  // activated (may be null when it never is).
  TestSite(TestPageFacts& facts, Offers offers, HWND window, std::vector<std::string>& journal);

  RECT position{0, 0, 320, 120};  // given as position and clip rectangle

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** result) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IOleClientSite
  STDMETHODIMP SaveObject() override { return Note("SaveObject", S_OK); }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow, IOleInPlaceSite
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP CanInPlaceActivate() override { return window_ ? S_OK : S_FALSE; }
  STDMETHODIMP OnInPlaceActivate() override { return Note("OnInPlaceActivate", S_OK); }
  STDMETHODIMP OnUIActivate() override { return Note("OnUIActivate", S_OK); }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return Note("OnUIDeactivate", S_OK); }
  STDMETHODIMP OnInPlaceDeactivate() override { return Note("OnInPlaceDeactivate", S_OK); }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
  // IServiceProvider
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** result) override;
  // IOleContainer
  STDMETHODIMP ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP EnumObjects(DWORD, IEnumUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP LockContainer(BOOL) override { return S_OK; }

 private:
  virtual ~TestSite() = default;
  HRESULT Note(const char* call, HRESULT result) {
    journal_.push_back(call);
    return result;
  }

  TestPageFacts& facts_;
  Offers offers_;
  HWND window_;
  std::vector<std::string>& journal_;
  ULONG references_ = 1;
};
