// IObjectSafety of the control, locked to the approved zones: the page may
// change the safety options, and sees them enabled, only while it passes
// the approved-zone check. The page's URL and zone come from the control's
// client site; the rules, the verdict's log line and the process-wide
// site-lock flag are the session's (CheckApprovedZone).
//
// T provides ContainerSite() (the container's site, or null); QueryInterface
// is T's through any of its interfaces.
#pragma once

#include <windows.h>
#include <objsafe.h>

#include <cstdint>
#include <optional>
#include <string>

namespace NVarnik {

// The address of the page around the site: the browser's location
// (IServiceProvider, then IWebBrowser2::get_LocationURL); failing that, the
// container's HTML document (IHTMLDocument2::get_URL). None when neither
// gives a non-empty address.
std::optional<std::wstring> HostPageUrl(IUnknown* clientSite);

// The security zone of url as the site's security manager maps it (asked
// of the site's services, else of the site itself). None without one.
std::optional<int32_t> HostPageZone(IUnknown* clientSite, const std::wstring& url);

// The approved-zone check for the page around clientSite.
bool PageInApprovedZone(IUnknown* clientSite);

// The two IObjectSafety operations over the options held in current.
HRESULT GetSiteLockedSafety(IUnknown* object, IUnknown* clientSite, DWORD current, REFIID iid,
                            DWORD* supported, DWORD* enabled);
HRESULT SetSiteLockedSafety(IUnknown* object, IUnknown* clientSite, DWORD& current, REFIID iid,
                            DWORD mask, DWORD enabled);

}  // namespace NVarnik

template <class T>
class CSiteLock : public IObjectSafety {
 public:
  // Supported: safe for untrusted callers and for untrusted data. Enabled:
  // the options set so far, or none while the page is out of the zones.
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
    return NVarnik::GetSiteLockedSafety(this, static_cast<T*>(this)->ContainerSite(), current_, iid,
                                        supported, enabled);
  }

  // A change of the options needs the page to be in the approved zones.
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override {
    return NVarnik::SetSiteLockedSafety(this, static_cast<T*>(this)->ContainerSite(), current_, iid,
                                        mask, enabled);
  }

 private:
  DWORD current_ = 0;
};
