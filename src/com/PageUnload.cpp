#include "com/PageUnload.h"

#include <mshtml.h>
#include <mshtmdid.h>

#include "com/ComObject.h"
#include "infra/SimpleLogger.h"

namespace NVarnik {

namespace {

// HTMLWindowEvents2: the window events of a page.
const IID kHtmlWindowEvents2 = {0x3050f625, 0x98b5, 0x11cf,
                                {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

}  // namespace

// Answers the page window's events; only onunload does anything. The sink
// does not hold the control (the window would keep it alive through the
// sink): the control forgets the sink before it goes.
class PageUnloadSink : public IDispatch {
 public:
  static const InterfaceEntry* InterfaceMap() {
    static const InterfaceEntry map[] = {Entry<PageUnloadSink, IDispatch>(IID_IDispatch),
                                         Entry<PageUnloadSink, IDispatch>(kHtmlWindowEvents2),
                                         {}};
    return map;
  }

  explicit PageUnloadSink(IOleObject* control) : control_(control) {}
  virtual ~PageUnloadSink() = default;

  void Forget() { control_ = nullptr; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    if (id != DISPID_HTMLWINDOWEVENTS2_ONUNLOAD || !control_) return S_OK;
    SimpleLogger::GetInstance()->Info("CLoader::OnUnload",
                                      "The page unloads; the control leaves its site.");
    // Taking the control off its site disconnects this sink and may drop
    // the page's last reference to the control: both stay until the end.
    ComPtr<IDispatch> self(this);
    ComPtr<IOleObject> control(control_);
    control->SetClientSite(nullptr);
    return S_OK;
  }

 private:
  IOleObject* control_;
};

bool PageUnloadSubscription::Subscribe(IOleClientSite* site, IOleObject* control) {
  Unsubscribe();
  if (!site || !control) return false;
  ComPtr<IOleContainer> container;
  ComPtr<IHTMLDocument2> document;
  ComPtr<IHTMLWindow2> window;
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  if (FAILED(site->GetContainer(container.Address())) || !container ||
      FAILED(container->QueryInterface(IID_IHTMLDocument2, document.Out())) ||
      FAILED(document->get_parentWindow(window.Address())) || !window ||
      FAILED(window->QueryInterface(IID_IConnectionPointContainer, points.Out())) ||
      FAILED(points->FindConnectionPoint(kHtmlWindowEvents2, point.Address())) || !point)
    return false;
  PageUnloadSink* sink = nullptr;
  if (FAILED(ComObject<PageUnloadSink>::Create(IID_IDispatch, reinterpret_cast<void**>(&sink),
                                               control)))
    return false;
  DWORD cookie = 0;
  if (FAILED(point->Advise(static_cast<IDispatch*>(sink), &cookie))) {
    sink->Release();
    return false;
  }
  *window_.Address() = window.Detach();
  *point_.Address() = point.Detach();
  cookie_ = cookie;
  sink_ = sink;
  return true;
}

void PageUnloadSubscription::Unsubscribe() {
  PageUnloadSink* sink = sink_;
  sink_ = nullptr;
  if (sink) sink->Forget();
  if (point_) point_->Unadvise(cookie_);
  cookie_ = 0;
  point_.Reset();
  window_.Reset();
  if (sink) sink->Release();
}

}  // namespace NVarnik
