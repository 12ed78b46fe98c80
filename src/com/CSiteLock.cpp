#include "com/CSiteLock.h"

#include <exdisp.h>
#include <mshtml.h>
#include <servprov.h>
#include <shlguid.h>
#include <urlmon.h>

#include "com/ComPtr.h"
#include "com/ComText.h"
#include "session/SiteLock.h"

namespace NVarnik {

namespace {

constexpr DWORD kSupportedSafety =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

std::optional<std::wstring> NonEmpty(BSTR text) {
  if (SysStringLen(text) == 0) return std::nullopt;
  return std::wstring(text, SysStringLen(text));
}

std::optional<std::wstring> BrowserLocation(IUnknown* site) {
  ComPtr<IServiceProvider> services;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(site->QueryInterface(IID_IServiceProvider, services.Out())) ||
      FAILED(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser.Out())) ||
      !browser)
    return std::nullopt;
  Bstr url;
  if (FAILED(browser->get_LocationURL(url.Out()))) return std::nullopt;
  return NonEmpty(url.Get());
}

std::optional<std::wstring> DocumentUrl(IUnknown* site) {
  ComPtr<IOleClientSite> clientSite;
  ComPtr<IOleContainer> container;
  ComPtr<IHTMLDocument2> document;
  if (FAILED(site->QueryInterface(IID_IOleClientSite, clientSite.Out())) ||
      FAILED(clientSite->GetContainer(container.Address())) || !container ||
      FAILED(container->QueryInterface(IID_IHTMLDocument2, document.Out())))
    return std::nullopt;
  Bstr url;
  if (FAILED(document->get_URL(url.Out()))) return std::nullopt;
  return NonEmpty(url.Get());
}

// The site's own security manager: it knows the zone settings of the
// browser the page is shown in.
HRESULT SiteSecurityManager(IUnknown* site, IInternetSecurityManager** manager) {
  ComPtr<IServiceProvider> services;
  if (SUCCEEDED(site->QueryInterface(IID_IServiceProvider, services.Out())) &&
      SUCCEEDED(services->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                       reinterpret_cast<void**>(manager))) &&
      *manager)
    return S_OK;
  *manager = nullptr;
  return site->QueryInterface(IID_IInternetSecurityManager, reinterpret_cast<void**>(manager));
}

// Whether object answers iid; the query's failure when it does not.
HRESULT Answers(IUnknown* object, REFIID iid) {
  IUnknown* answer = nullptr;
  const HRESULT result = object->QueryInterface(iid, reinterpret_cast<void**>(&answer));
  if (SUCCEEDED(result) && answer) answer->Release();
  return result;
}

}  // namespace

std::optional<std::wstring> HostPageUrl(IUnknown* clientSite) {
  if (!clientSite) return std::nullopt;
  if (std::optional<std::wstring> url = BrowserLocation(clientSite)) return url;
  return DocumentUrl(clientSite);
}

std::optional<int32_t> HostPageZone(IUnknown* clientSite, const std::wstring& url) {
  if (!clientSite) return std::nullopt;
  ComPtr<IInternetSecurityManager> manager;
  if (FAILED(SiteSecurityManager(clientSite, manager.Address())) || !manager)
    return std::nullopt;
  DWORD zone = 0;
  if (FAILED(manager->MapUrlToZone(url.c_str(), &zone, 0))) return std::nullopt;
  return static_cast<int32_t>(zone);
}

bool PageInApprovedZone(IUnknown* clientSite) {
  const std::optional<std::wstring> url = HostPageUrl(clientSite);
  std::optional<std::string> narrowUrl;
  std::optional<int32_t> zone;
  if (url) {
    Bstr text(SysAllocStringLen(url->data(), static_cast<UINT>(url->size())));
    narrowUrl = AnsiUpToZero(text.Get());
    zone = HostPageZone(clientSite, *url);
  }
  return CheckApprovedZone(narrowUrl, zone);
}

HRESULT GetSiteLockedSafety(IUnknown* object, IUnknown* clientSite, DWORD current, REFIID iid,
                            DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = 0;
  *enabled = 0;
  const HRESULT answered = Answers(object, iid);
  if (FAILED(answered)) return answered;
  *supported = kSupportedSafety;
  *enabled = PageInApprovedZone(clientSite) ? current : 0;
  return S_OK;
}

HRESULT SetSiteLockedSafety(IUnknown* object, IUnknown* clientSite, DWORD& current, REFIID iid,
                            DWORD mask, DWORD enabled) {
  const HRESULT answered = Answers(object, iid);
  if (FAILED(answered)) return answered;
  if (mask & ~kSupportedSafety) return E_FAIL;
  const DWORD options = (current & ~mask) | (mask & enabled);
  if (options == current) return S_OK;
  if (!PageInApprovedZone(clientSite)) return E_FAIL;
  current = options;
  return S_OK;
}

}  // namespace NVarnik
