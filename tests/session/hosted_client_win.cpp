#include "hosted_client_win.h"

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <mutex>

#include "platform/Registry.h"

namespace {

// {5C0B8C6E-2D41-4C59-9E37-4B8F3A1D7E21}
const CLSID kTestClientClsid = {0x5c0b8c6e, 0x2d41, 0x4c59,
                                {0x9e, 0x37, 0x4b, 0x8f, 0x3a, 0x1d, 0x7e, 0x21}};
constexpr char kClsidText[] = "{5C0B8C6E-2D41-4C59-9E37-4B8F3A1D7E21}";

std::mutex g_lock;
std::vector<std::string> g_journal;

void Note(const std::string& line) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_journal.push_back(line);
}

std::string Narrow(const wchar_t* text) {
  if (!text) return {};
  char buffer[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
  return buffer;
}

const wchar_t* const kNames[] = {L"TKtesttypes", L"Cookie", L"Server", L"Broken"};
constexpr DISPID kBroken = 4;

// Only what a container asks of a control is answered; the rest is not
// needed to be hosted.
class TestClient : public IOleObject, public IDispatch {
 public:
  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *object = static_cast<IOleObject*>(this);
    } else if (iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // IOleObject
  // The site is held, as a control holds it.
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    Note(site ? "site" : "no site");
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override {
    Note("closed");
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override {
    if (verb == OLEIVERB_INPLACEACTIVATE) Note("activated");
    return S_OK;
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = kTestClientClsid;
    return S_OK;
  }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (status) *status = 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (count != 1 || !names || !ids) return E_INVALIDARG;
    for (DISPID id = 1; id <= 4; ++id) {
      if (lstrcmpiW(names[0], kNames[id - 1]) == 0) {
        *ids = id;
        return S_OK;
      }
    }
    *ids = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT*,
                      EXCEPINFO* exception, UINT*) override {
    if (id < 1 || id > 4) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_PROPERTYPUT) || !parameters || parameters->cArgs != 1 ||
        parameters->cNamedArgs != 1 || parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
        parameters->rgvarg[0].vt != VT_BSTR)
      return DISP_E_PARAMNOTFOUND;
    if (id == kBroken) {
      if (exception) {
        *exception = EXCEPINFO{};
        exception->scode = E_INVALIDARG;
        exception->bstrDescription = SysAllocString(L"Broken on purpose");
      }
      return DISP_E_EXCEPTION;
    }
    Note(Narrow(kNames[id - 1]) + "=" + Narrow(parameters->rgvarg[0].bstrVal));
    return S_OK;
  }

 private:
  virtual ~TestClient() {
    if (site_) site_->Release();
  }
  LONG references_ = 1;
  IOleClientSite* site_ = nullptr;
};

class TestClientFactory : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    TestClient* client = new TestClient;
    const HRESULT result = client->QueryInterface(iid, object);
    client->Release();
    return result;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

TestClientFactory g_factory;

}  // namespace

TestClientClass::TestClientClass()
    : progId_(platform::RegistryRoot::LocalMachine,
              std::string("Software\\Classes\\") + kProgId) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    g_journal.clear();
  }
  oleResult_ = OleInitialize(nullptr);
  platform::RegistryKey key;
  if (platform::RegistryKey::Create(platform::RegistryRoot::LocalMachine,
                                    progId_.Path() + "\\CLSID", key) != platform::kErrorSuccess ||
      key.WriteString("", kClsidText) != platform::kErrorSuccess)
    return;
  DWORD cookie = 0;
  if (SUCCEEDED(CoRegisterClassObject(kTestClientClsid, &g_factory, CLSCTX_INPROC_SERVER,
                                      REGCLS_MULTIPLEUSE, &cookie)))
    cookie_ = cookie;
}

TestClientClass::~TestClientClass() {
  if (cookie_) CoRevokeClassObject(cookie_);
  if (SUCCEEDED(oleResult_)) OleUninitialize();
}

std::vector<std::string> TestClientClass::Journal() {
  std::lock_guard<std::mutex> guard(g_lock);
  return g_journal;
}
