#include "com/CLoaderControl.h"

#include <commctrl.h>

#include <cstddef>

#include "com/CDeploymentHelper.h"
#include "com/ComModule.h"
#include "com/ComText.h"
#include "com/Guarded.h"

namespace {

using NVarnik::Entry;

// The session's events, raised to the page's sinks through the control's
// ILoaderEvents point. The session has written the log lines already.
class PointSink : public LoaderEventSink {
 public:
  explicit PointSink(CProxyILoaderEvents& point) : point_(point) {}

  platform::HResult OnReady() override { return point_.Fire_OnReady(); }
  platform::HResult OnUIActive() override { return point_.Fire_OnUIActive(); }
  platform::HResult OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                       const std::string& description) override {
    return point_.Fire_OnDownloadProgress(fileNo, totalFiles, description);
  }
  platform::HResult OnFileDownloadProgress(int32_t percentage) override {
    return point_.Fire_OnFileDownloadProgress(percentage);
  }
  platform::HResult OnError(const std::string& message) override {
    return point_.Fire_OnError(message);
  }
  platform::HResult OnFailure(const std::string& message) override {
    return point_.Fire_OnFailure(message);
  }
  platform::HResult OnDownloadStart() override { return point_.Fire_OnDownloadStart(); }
  platform::HResult OnSlo() override { return point_.Fire_OnSlo(); }

 private:
  CProxyILoaderEvents& point_;
};

}  // namespace

const NVarnik::InterfaceEntry* CLoaderControl::InterfaceMap() {
  using C = CLoaderControl;
  static const NVarnik::InterfaceEntry map[] = {
      Entry<C, ILoader4>(IID_ILoader4),
      Entry<C, ILoader4>(IID_IDispatch),
      Entry<C, ILoader4>(IID_ILoader),
      Entry<C, ILoader4>(IID_ILoader2),
      Entry<C, ILoader4>(IID_ILoader3),
      Entry<C, IConnectionPointContainer>(IID_IConnectionPointContainer),
      Entry<C, IOleObject>(IID_IOleObject),
      Entry<C, IOleInPlaceObject>(IID_IOleInPlaceObject),
      Entry<C, IOleInPlaceObject>(IID_IOleWindow),
      Entry<C, IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject),
      Entry<C, IViewObject2>(IID_IViewObject2),
      Entry<C, IViewObject2>(IID_IViewObject),
      Entry<C, IOleControl>(IID_IOleControl),
      Entry<C, IQuickActivate>(IID_IQuickActivate),
      Entry<C, IProvideClassInfo2>(IID_IProvideClassInfo2),
      Entry<C, IProvideClassInfo2>(IID_IProvideClassInfo),
      Entry<C, IPersistStreamInit>(IID_IPersistStreamInit),
      Entry<C, IPersistStreamInit>(IID_IPersist),
      Entry<C, IPersistPropertyBag>(IID_IPersistPropertyBag),
      Entry<C, IObjectSafety>(IID_IObjectSafety),
      Entry<C, ISupportErrorInfo>(IID_ISupportErrorInfo),
      {}};
  return map;
}

CLoaderControl::CLoaderControl()
    : events_(Identity(), &NVarnik::BstrFromAnsi,
              CProxyILoaderEvents::LogLines::WrittenByCaller),
      sessionSink_(std::make_shared<PointSink>(events_)),
      session_(std::make_unique<CLoader>(*this)) {
  sessionSinkCookie_ = session_->Events().Advise(sessionSink_);
}

// Containers end the window with Close or SetClientSite(null); this is the
// last resort. Nothing here may reach the object's IUnknown any more: the
// session is cut off from the point and the container before its window
// goes.
CLoaderControl::~CLoaderControl() {
  releasing_ = true;
  session_->Events().Unadvise(sessionSinkCookie_);
  pageUnload_.Unsubscribe();
  HWND window = Window();
  if (window && windowGuarded_) RemoveWindowSubclass(window, &GuardWindowMessages, 1);
  windowGuarded_ = false;
  session_->DestroyControlWindow();
  session_.reset();
}

HWND CLoaderControl::Window() const {
  return session_ ? reinterpret_cast<HWND>(session_->ControlWindow()) : nullptr;
}

void* CLoaderControl::ClientSite() { return releasing_ ? nullptr : clientSite_.Get(); }

void* CLoaderControl::InPlaceActiveObject() {
  return releasing_ ? nullptr : static_cast<IOleInPlaceActiveObject*>(this);
}

void CLoaderControl::SetObjectRects(const platform::WindowRect& rect) {
  if (releasing_) return;
  const RECT area{rect.left, rect.top, rect.right, rect.bottom};
  SetObjectRects(&area, &area);
}

bool CLoaderControl::SubscribeToPageUnload() {
  return !releasing_ && pageUnload_.Subscribe(clientSite_.Get(), this);
}

STDMETHODIMP CLoaderControl::RunApplicationAsProcess() {
  return NVarnik::Guarded("CLoader::RunApplicationAsProcess",
                          [&] { return static_cast<HRESULT>(session_->RunApplicationAsProcess()); });
}

bool CLoaderControl::CreateActivationContext(const std::string& folder,
                                             const std::string& manifest,
                                             platform::HResult& result) {
  result = NVarnik::ComObject<CDeploymentHelper>::Create(IID_IDeploymentHelper2,
                                                          deploymentHelper_.Out());
  if (FAILED(result)) return true;
  IDeploymentHelper2* helper = deploymentHelper_.Get();
  BSTR folderText = NVarnik::BstrFromAnsi(folder);
  BSTR manifestText = NVarnik::BstrFromAnsi(manifest);
  helper->put_DeploymentFolder(folderText);
  helper->put_ManifestFileName(manifestText);
  SysFreeString(folderText);
  SysFreeString(manifestText);
  result = helper->CreateActivationContext();
  return true;
}

bool CLoaderControl::DestroyActivationContext(platform::HResult& result) {
  if (!deploymentHelper_) return false;
  result = deploymentHelper_->DestroyActivationContext();
  deploymentHelper_.Reset();
  return true;
}

// IOleControl: no mnemonics; ambient properties are not read.

STDMETHODIMP CLoaderControl::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP CLoaderControl::OnMnemonic(MSG*) { return E_NOTIMPL; }

STDMETHODIMP CLoaderControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

// The count is kept for the container; events are still raised, so no
// progress or failure a page waits for is lost.
STDMETHODIMP CLoaderControl::FreezeEvents(BOOL freeze) {
  if (freeze) {
    ++frozenEvents_;
  } else if (frozenEvents_ > 0) {
    --frozenEvents_;
  }
  return S_OK;
}

// IQuickActivate: the site, the view's advise sink and the event sink in one
// call. Older containers pass shorter structures; their leading members are
// the same.

STDMETHODIMP CLoaderControl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (!container || !control) return E_POINTER;
  if (container->cbSize < offsetof(QACONTAINER, dwAmbientFlags) ||
      control->cbSize < offsetof(QACONTROL, dwPointerActivationPolicy))
    return E_INVALIDARG;
  return NVarnik::Guarded("CLoader::QuickActivate", [&] {
    if (container->pClientSite) SetClientSite(container->pClientSite);
    if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    control->dwMiscStatus = kMiscStatus;
    control->dwViewStatus = 0;
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    if (control->cbSize >= sizeof(QACONTROL)) control->dwPointerActivationPolicy = 0;
    if (container->pUnkEventSink) {
      const HRESULT advised = events_.Advise(container->pUnkEventSink, &control->dwEventCookie);
      if (FAILED(advised)) return advised;
    }
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::SetContentExtent(LPSIZEL size) {
  return SetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP CLoaderControl::GetContentExtent(LPSIZEL size) {
  return GetExtent(DVASPECT_CONTENT, size);
}

// IProvideClassInfo2

STDMETHODIMP CLoaderControl::GetClassInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  return NVarnik::ComModule::GetTypeInfo(CLSID_Loader, info);
}

STDMETHODIMP CLoaderControl::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID_ILoaderEvents;
  return S_OK;
}

STDMETHODIMP CLoaderControl::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Loader;
  return S_OK;
}
