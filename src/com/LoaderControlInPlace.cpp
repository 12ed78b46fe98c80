// In-place activation: the session's dialog window becomes the control's
// window inside the container's, positioned and clipped where the container
// says, and the control can be made the UI-active object of the container's
// frame. The window is made on the container's thread, and making it runs
// the session's OnHostStart; deactivation destroys it again.
#include "com/CLoaderControl.h"

#include <commctrl.h>

#include "com/Guarded.h"

namespace {

constexpr UINT_PTR kGuardId = 1;

}  // namespace

HRESULT CLoaderControl::InPlaceActivate(IOleClientSite* activeSite, bool uiActivate) {
  if (!inPlaceActive_) {
    IOleClientSite* site = clientSite_ ? clientSite_.Get() : activeSite;
    if (!site) return E_UNEXPECTED;
    NVarnik::ComPtr<IOleInPlaceSite> inPlaceSite;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlaceSite.Out())) || !inPlaceSite)
      return E_NOINTERFACE;
    if (inPlaceSite->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlaceActive_ = true;
    *inPlaceSite_.Address() = inPlaceSite.Detach();
    inPlaceSite_->OnInPlaceActivate();
    HWND parent = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    if (FAILED(inPlaceSite_->GetWindow(&parent)) || !parent ||
        FAILED(inPlaceSite_->GetWindowContext(frame_.Address(), document_.Address(), &position,
                                              &clip, &frameInfo)) ||
        !CreateInPlaceWindow(parent)) {
      InPlaceDeactivate();
      return E_FAIL;
    }
    SetObjectRects(&position, &clip);
    ShowWindow(Window(), SW_SHOW);
  }
  return uiActivate ? UIActivate() : S_OK;
}

bool CLoaderControl::CreateInPlaceWindow(HWND parent) {
  // A window that went with its parent leaves the session's stale handle.
  if (!Window()) session_->DestroyControlWindow();
  if (!session_->CreateControlWindow(reinterpret_cast<platform::WindowHandle>(parent)))
    return false;
  windowGuarded_ = SetWindowSubclass(Window(), &GuardWindowMessages, kGuardId,
                                     reinterpret_cast<DWORD_PTR>(this)) != FALSE;
  return true;
}

void CLoaderControl::DestroyInPlaceWindow() {
  clipped_ = false;
  session_->DestroyControlWindow();
}

void CLoaderControl::ReleaseInPlaceSite() {
  frame_.Reset();
  document_.Reset();
  inPlaceSite_.Reset();
}

// Every message of the control window holds the control: a page's event
// handler run from a message may drop the container's last reference, and
// the session's code that sent the event is still on the stack.
LRESULT CALLBACK CLoaderControl::GuardWindowMessages(HWND window, UINT message, WPARAM wParam,
                                                     LPARAM lParam, UINT_PTR id, DWORD_PTR self) {
  auto* control = reinterpret_cast<CLoaderControl*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &GuardWindowMessages, id);
    control->windowGuarded_ = false;
    return DefSubclassProc(window, message, wParam, lParam);
  }
  IUnknown* held = control->Identity();
  held->AddRef();
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  held->Release();  // may destroy the control, and with it this window
  return result;
}

HRESULT CLoaderControl::UIActivate() {
  if (uiActive_) return S_OK;
  if (!inPlaceSite_) return E_UNEXPECTED;
  uiActive_ = true;
  inPlaceSite_->OnUIActivate();
  IOleInPlaceActiveObject* active = this;
  if (frame_) {
    frame_->SetActiveObject(active, L"Loader");
    frame_->SetBorderSpace(nullptr);
  }
  if (document_) {
    document_->SetActiveObject(active, L"Loader");
    document_->SetBorderSpace(nullptr);
  }
  HWND window = Window();
  HWND focus = GetFocus();
  if (window && focus != window && !IsChild(window, focus)) SetFocus(window);
  return S_OK;
}

STDMETHODIMP CLoaderControl::UIDeactivate() {
  if (!uiActive_) return S_OK;
  uiActive_ = false;
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (document_) document_->SetActiveObject(nullptr, nullptr);
  if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
  return S_OK;
}

STDMETHODIMP CLoaderControl::InPlaceDeactivate() {
  if (!inPlaceActive_) return S_OK;
  return NVarnik::Guarded("CLoader::InPlaceDeactivate", [&] {
    UIDeactivate();
    inPlaceActive_ = false;
    DestroyInPlaceWindow();
    NVarnik::ComPtr<IOleInPlaceSite> inPlaceSite;
    *inPlaceSite.Address() = inPlaceSite_.Detach();
    ReleaseInPlaceSite();
    if (inPlaceSite) inPlaceSite->OnInPlaceDeactivate();
    return S_OK;
  });
}

STDMETHODIMP CLoaderControl::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = Window();
  return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CLoaderControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// position and clip are in the container window's client coordinates; only
// the part of the window inside clip is shown. The window moves first: the
// session hands every new position back here with itself as the clip, and
// the container's clip must be the one that stays.
STDMETHODIMP CLoaderControl::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position || !clip) return E_POINTER;
  HWND window = Window();
  if (!window) return S_OK;
  MoveWindow(window, position->left, position->top, position->right - position->left,
             position->bottom - position->top, TRUE);
  RECT shown{};
  IntersectRect(&shown, position, clip);
  if (!EqualRect(&shown, position)) {
    OffsetRect(&shown, -position->left, -position->top);
    HRGN region = CreateRectRgnIndirect(&shown);
    // The window owns the region once it is set.
    if (region && !SetWindowRgn(window, region, TRUE)) DeleteObject(region);
    clipped_ = region != nullptr;
  } else if (clipped_) {
    clipped_ = false;
    SetWindowRgn(window, nullptr, TRUE);
  }
  return S_OK;
}

STDMETHODIMP CLoaderControl::ReactivateAndUndo() { return E_NOTIMPL; }

// Keys for the control's own windows get the dialog keys (tab between the
// rows); everything else is the container's.
STDMETHODIMP CLoaderControl::TranslateAccelerator(LPMSG message) {
  if (!message) return E_INVALIDARG;
  HWND window = Window();
  if (!window || message->message < WM_KEYFIRST || message->message > WM_KEYLAST ||
      (message->hwnd != window && !IsChild(window, message->hwnd)))
    return S_FALSE;
  return IsDialogMessageA(window, message) ? S_OK : S_FALSE;
}

STDMETHODIMP CLoaderControl::OnFrameWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP CLoaderControl::OnDocWindowActivate(BOOL) { return S_OK; }

STDMETHODIMP CLoaderControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }

STDMETHODIMP CLoaderControl::EnableModeless(BOOL) { return S_OK; }

// IViewObject2: the window draws itself while the control is active; for a
// container that renders the control elsewhere (printing, a snapshot) the
// control's area is filled with the dialog colour inside a frame.

STDMETHODIMP CLoaderControl::Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC,
                                  HDC drawOn, LPCRECTL bounds, LPCRECTL,
                                  BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (index != -1) return DV_E_LINDEX;
  if (!drawOn || !bounds) return E_INVALIDARG;
  RECT area{bounds->left, bounds->top, bounds->right, bounds->bottom};
  FillRect(drawOn, &area, GetSysColorBrush(COLOR_BTNFACE));
  FrameRect(drawOn, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
  return S_OK;
}

STDMETHODIMP CLoaderControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                         LOGPALETTE** colors) {
  if (colors) *colors = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CLoaderControl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
  if (freeze) *freeze = 0;
  return E_NOTIMPL;
}

STDMETHODIMP CLoaderControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP CLoaderControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewSink_.Set(sink);
  viewAspects_ = aspects;
  viewFlags_ = flags;
  return S_OK;
}

STDMETHODIMP CLoaderControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = viewAspects_;
  if (flags) *flags = viewFlags_;
  if (sink) {
    *sink = viewSink_.Get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

STDMETHODIMP CLoaderControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

void CLoaderControl::NotifyViewChange() {
  if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT)) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}
