// IOleObject: the container's site, the verbs that activate the control,
// its extent and the container's advise sinks. Taking the control off its
// site ends its window and session, whether the container does it or the
// page's onunload does.
#include "com/CLoaderControl.h"
#include "com/Guarded.h"
#include "com/HostedClientWindow.h"

STDMETHODIMP CLoaderControl::SetClientSite(IOleClientSite* site) {
  return NVarnik::Guarded("CLoader::SetClientSite", [&] {
    if (site) {
      sited_ = true;
      clientSite_.Set(site);
      return S_OK;
    }
    // Only the first call without a site after one with a site ends the
    // control.
    if (!sited_) return S_OK;
    sited_ = false;
    pageUnload_.Unsubscribe();
    UIDeactivate();
    clientSite_.Reset();
    HWND window = Window();
    NVarnik::DetachHostedClient(window);
    if (window && IsWindow(window)) {
      ShowWindow(window, SW_HIDE);
      session_->DestroyControlWindow();
    }
    // The control deactivated itself with its window.
    if (inPlaceActive_) {
      inPlaceActive_ = false;
      NVarnik::ComPtr<IOleInPlaceSite> inPlaceSite;
      *inPlaceSite.Address() = inPlaceSite_.Detach();
      ReleaseInPlaceSite();
      if (inPlaceSite) inPlaceSite->OnInPlaceDeactivate();
    }
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = clientSite_.Get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

STDMETHODIMP CLoaderControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP CLoaderControl::Close(DWORD saveOption) {
  return NVarnik::Guarded("CLoader::Close", [&] {
    InPlaceDeactivate();
    if ((saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE) && dirty_ &&
        clientSite_) {
      clientSite_->SaveObject();
      if (adviseHolder_) adviseHolder_->SendOnSave();
    }
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP CLoaderControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CLoaderControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CLoaderControl::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

// The control is always activated in place, never opened in a window of
// its own; it has no property pages.
STDMETHODIMP CLoaderControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND,
                                    LPCRECT) {
  return NVarnik::Guarded("CLoader::DoVerb", [&] {
    switch (verb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_UIACTIVATE: return InPlaceActivate(activeSite, true);
      case OLEIVERB_INPLACEACTIVATE: return InPlaceActivate(activeSite, false);
      case OLEIVERB_HIDE:
        UIDeactivate();
        if (HWND window = Window()) ShowWindow(window, SW_HIDE);
        return S_OK;
      case OLEIVERB_DISCARDUNDOSTATE: return S_OK;
      default:
        if (verb > 0) {
          // An unknown verb of the object's own range does the primary one.
          const HRESULT primary = InPlaceActivate(activeSite, true);
          return FAILED(primary) ? primary : OLEOBJ_S_INVALIDVERB;
        }
        return E_NOTIMPL;
    }
  });
}

STDMETHODIMP CLoaderControl::EnumVerbs(IEnumOLEVERB** verbs) {
  if (!verbs) return E_POINTER;
  return OleRegEnumVerbs(CLSID_Loader, verbs);
}

STDMETHODIMP CLoaderControl::Update() { return S_OK; }

STDMETHODIMP CLoaderControl::IsUpToDate() { return S_OK; }

STDMETHODIMP CLoaderControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP CLoaderControl::GetUserType(DWORD form, LPOLESTR* userType) {
  if (!userType) return E_POINTER;
  return OleRegGetUserType(CLSID_Loader, form, userType);
}

STDMETHODIMP CLoaderControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  if (size->cx == extent_.cx && size->cy == extent_.cy) return S_OK;
  extent_ = *size;
  dirty_ = true;
  NotifyViewChange();
  return S_OK;
}

STDMETHODIMP CLoaderControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

HRESULT CLoaderControl::EnsureAdviseHolder() {
  return adviseHolder_ ? S_OK : CreateOleAdviseHolder(adviseHolder_.Address());
}

STDMETHODIMP CLoaderControl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  const HRESULT holder = EnsureAdviseHolder();
  return FAILED(holder) ? holder : adviseHolder_->Advise(sink, connection);
}

STDMETHODIMP CLoaderControl::Unadvise(DWORD connection) {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CLoaderControl::EnumAdvise(IEnumSTATDATA** advises) {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  const HRESULT holder = EnsureAdviseHolder();
  return FAILED(holder) ? holder : adviseHolder_->EnumAdvise(advises);
}

// The status the class is registered with; other aspects have none.
STDMETHODIMP CLoaderControl::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

STDMETHODIMP CLoaderControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }
