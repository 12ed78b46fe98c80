#include "test_site.h"

#include <shlguid.h>

TestSite::TestSite(TestPageFacts& facts, Offers offers, HWND window,
                   std::vector<std::string>& journal)
    : facts_(facts), offers_(offers), window_(window), journal_(journal) {}

STDMETHODIMP TestSite::QueryInterface(REFIID iid, void** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *result = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow)) {
    *result = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IServiceProvider) &&
             (offers_.browser || offers_.securityManager)) {
    *result = static_cast<IServiceProvider*>(this);
  } else if (IsEqualIID(iid, IID_IOleContainer)) {
    *result = static_cast<IOleContainer*>(this);
  } else if (IsEqualIID(iid, IID_IHTMLDocument2) && offers_.document) {
    // The page's document stands for the container, as in a browser.
    *result = CreateTestDocument(&facts_);
    return *result ? S_OK : E_OUTOFMEMORY;
  }
  if (!*result) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) TestSite::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) TestSite::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

STDMETHODIMP TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP TestSite::GetContainer(IOleContainer** container) {
  return QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
}

STDMETHODIMP TestSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return window_ ? S_OK : E_FAIL;
}

// No frame and no document window: the control must do without them.
STDMETHODIMP TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                        LPRECT positionOut, LPRECT clipOut,
                                        LPOLEINPLACEFRAMEINFO info) {
  if (frame) *frame = nullptr;
  if (document) *document = nullptr;
  if (positionOut) *positionOut = position;
  if (clipOut) *clipOut = position;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP TestSite::QueryService(REFGUID service, REFIID iid, void** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  IUnknown* object = nullptr;
  if (IsEqualGUID(service, SID_SWebBrowserApp) && offers_.browser) {
    object = CreateTestBrowser(&facts_);
  } else if (IsEqualGUID(service, SID_SInternetSecurityManager) && offers_.securityManager) {
    object = CreateTestSecurityManager(&facts_);
  } else {
    return E_NOINTERFACE;
  }
  if (!object) return E_OUTOFMEMORY;
  const HRESULT answer = object->QueryInterface(iid, result);
  object->Release();
  return answer;
}
