// ILoader to ILoader4: each member converts its value and hands it to the
// session's property logic, which stores, checks and logs. Text comes in
// as far as its first zero character (what any Windows call made with it
// later would read), in the system code page; an empty text goes out as a
// null BSTR.
#include <string>
#include <type_traits>

#include "com/CLoaderControl.h"
#include "com/ComText.h"
#include "com/Guarded.h"

static_assert(std::is_same<VariantBool, VARIANT_BOOL>::value,
              "the session keeps flags as VARIANT_BOOL");

template <class Setter>
HRESULT CLoaderControl::PutText(const char* name, Setter setter, BSTR value) {
  return NVarnik::Guarded(std::string("CLoader::put_") + name, [&] {
    const HRESULT result = (session_->Properties().*setter)(NVarnik::AnsiUpToZero(value));
    if (SUCCEEDED(result)) dirty_ = true;
    return result;
  });
}

template <class Getter>
HRESULT CLoaderControl::GetText(const char* name, Getter getter, BSTR* value) {
  if (value) *value = nullptr;
  return NVarnik::Guarded(std::string("CLoader::get_") + name, [&] {
    std::string text;
    // The session answers a null out pointer itself.
    const HRESULT result = (session_->Properties().*getter)(value ? &text : nullptr);
    if (FAILED(result) || !value) return result;
    return NVarnik::BstrForGetter(text, value);
  });
}

template <class Setter, class Value>
HRESULT CLoaderControl::PutValue(const char* name, Setter setter, Value value) {
  return NVarnik::Guarded(std::string("CLoader::put_") + name, [&] {
    const HRESULT result = (session_->Properties().*setter)(value);
    if (SUCCEEDED(result)) dirty_ = true;
    return result;
  });
}

template <class Getter>
HRESULT CLoaderControl::GetFlag(const char* name, Getter getter, VARIANT_BOOL* value) {
  return NVarnik::Guarded(std::string("CLoader::get_") + name,
                          [&] { return (session_->Properties().*getter)(value); });
}

using P = LoaderProperties;

STDMETHODIMP CLoaderControl::put_BrowserUI(VARIANT_BOOL v) {
  return PutValue("BrowserUI", &P::put_BrowserUI, v);
}
STDMETHODIMP CLoaderControl::get_BrowserUI(VARIANT_BOOL* v) {
  return GetFlag("BrowserUI", &P::get_BrowserUI, v);
}
STDMETHODIMP CLoaderControl::put_ProgColor(BSTR v) {
  return PutText("ProgColor", &P::put_ProgColor, v);
}
STDMETHODIMP CLoaderControl::get_ProgColor(BSTR* v) {
  return GetText("ProgColor", &P::get_ProgColor, v);
}
STDMETHODIMP CLoaderControl::put_ProgBkColor(BSTR v) {
  return PutText("ProgBkColor", &P::put_ProgBkColor, v);
}
STDMETHODIMP CLoaderControl::get_ProgBkColor(BSTR* v) {
  return GetText("ProgBkColor", &P::get_ProgBkColor, v);
}
STDMETHODIMP CLoaderControl::get_SetupFile(BSTR* v) {
  return GetText("SetupFile", &P::get_SetupFile, v);
}
STDMETHODIMP CLoaderControl::put_SetupFile(BSTR v) {
  return PutText("SetupFile", &P::put_SetupFile, v);
}
STDMETHODIMP CLoaderControl::get_SetupExtFile(BSTR* v) {
  return GetText("SetupExtFile", &P::get_SetupExtFile, v);
}
STDMETHODIMP CLoaderControl::put_SetupExtFile(BSTR v) {
  return PutText("SetupExtFile", &P::put_SetupExtFile, v);
}
STDMETHODIMP CLoaderControl::get_DomainName(BSTR* v) {
  return GetText("DomainName", &P::get_DomainName, v);
}
STDMETHODIMP CLoaderControl::put_DomainName(BSTR v) {
  return PutText("DomainName", &P::put_DomainName, v);
}
STDMETHODIMP CLoaderControl::get_DomainPassword(BSTR* v) {
  return GetText("DomainPassword", &P::get_DomainPassword, v);
}
STDMETHODIMP CLoaderControl::put_DomainPassword(BSTR v) {
  return PutText("DomainPassword", &P::put_DomainPassword, v);
}
STDMETHODIMP CLoaderControl::get_TkRootURL(BSTR* v) {
  return GetText("TkRootURL", &P::get_TkRootURL, v);
}
STDMETHODIMP CLoaderControl::put_TkRootURL(BSTR v) {
  return PutText("TkRootURL", &P::put_TkRootURL, v);
}
STDMETHODIMP CLoaderControl::get_PluginExtFiles(BSTR* v) {
  return GetText("PluginExtFiles", &P::get_PluginExtFiles, v);
}
STDMETHODIMP CLoaderControl::put_PluginExtFiles(BSTR v) {
  return PutText("PluginExtFiles", &P::put_PluginExtFiles, v);
}
STDMETHODIMP CLoaderControl::get_TestTypeFile(BSTR* v) {
  return GetText("TestTypeFile", &P::get_TestTypeFile, v);
}
STDMETHODIMP CLoaderControl::put_TestTypeFile(BSTR v) {
  return PutText("TestTypeFile", &P::put_TestTypeFile, v);
}
STDMETHODIMP CLoaderControl::get_CustomTestTypesFiles(BSTR* v) {
  return GetText("CustomTestTypesFiles", &P::get_CustomTestTypesFiles, v);
}
STDMETHODIMP CLoaderControl::put_CustomTestTypesFiles(BSTR v) {
  return PutText("CustomTestTypesFiles", &P::put_CustomTestTypesFiles, v);
}
STDMETHODIMP CLoaderControl::get_AdditionalParams(BSTR* v) {
  return GetText("AdditionalParams", &P::get_AdditionalParams, v);
}
STDMETHODIMP CLoaderControl::put_AdditionalParams(BSTR v) {
  return PutText("AdditionalParams", &P::put_AdditionalParams, v);
}
STDMETHODIMP CLoaderControl::get_InstallationOnly(VARIANT_BOOL* v) {
  return GetFlag("InstallationOnly", &P::get_InstallationOnly, v);
}
STDMETHODIMP CLoaderControl::put_InstallationOnly(VARIANT_BOOL v) {
  return PutValue("InstallationOnly", &P::put_InstallationOnly, v);
}
STDMETHODIMP CLoaderControl::get_DownloadContentFlavor(BSTR* v) {
  return GetText("DownloadContentFlavor", &P::get_DownloadContentFlavor, v);
}
STDMETHODIMP CLoaderControl::put_DownloadContentFlavor(BSTR v) {
  return PutText("DownloadContentFlavor", &P::put_DownloadContentFlavor, v);
}
STDMETHODIMP CLoaderControl::get_IsolatedDeployment(VARIANT_BOOL* v) {
  return GetFlag("IsolatedDeployment", &P::get_IsolatedDeployment, v);
}
STDMETHODIMP CLoaderControl::put_IsolatedDeployment(VARIANT_BOOL v) {
  return PutValue("IsolatedDeployment", &P::put_IsolatedDeployment, v);
}
STDMETHODIMP CLoaderControl::get_DeploymentLocation(BSTR* v) {
  return GetText("DeploymentLocation", &P::get_DeploymentLocation, v);
}
STDMETHODIMP CLoaderControl::put_AuthUser(BSTR v) {
  return PutText("AuthUser", &P::put_AuthUser, v);
}
STDMETHODIMP CLoaderControl::put_AuthPassword(BSTR v) {
  return PutText("AuthPassword", &P::put_AuthPassword, v);
}
STDMETHODIMP CLoaderControl::put_AuthProxyUser(BSTR v) {
  return PutText("AuthProxyUser", &P::put_AuthProxyUser, v);
}
STDMETHODIMP CLoaderControl::put_AuthProxyPassword(BSTR v) {
  return PutText("AuthProxyPassword", &P::put_AuthProxyPassword, v);
}
STDMETHODIMP CLoaderControl::put_AuthProxyURL(BSTR v) {
  return PutText("AuthProxyURL", &P::put_AuthProxyURL, v);
}
STDMETHODIMP CLoaderControl::put_AuthProxyPort(LONG v) {
  return PutValue("AuthProxyPort", &P::put_AuthProxyPort, static_cast<int32_t>(v));
}
STDMETHODIMP CLoaderControl::put_AuthReserved(BSTR v) {
  return PutText("AuthReserved", &P::put_AuthReserved, v);
}

STDMETHODIMP CLoaderControl::get_SkipPreReqCheck(VARIANT_BOOL* v) {
  return GetFlag("SkipPreReqCheck", &P::get_SkipPreReqCheck, v);
}
STDMETHODIMP CLoaderControl::put_SkipPreReqCheck(VARIANT_BOOL v) {
  return PutValue("SkipPreReqCheck", &P::put_SkipPreReqCheck, v);
}
STDMETHODIMP CLoaderControl::get_CustomPreReqPageUrl(BSTR* v) {
  return GetText("CustomPreReqPageUrl", &P::get_CustomPreReqPageUrl, v);
}
STDMETHODIMP CLoaderControl::put_CustomPreReqPageUrl(BSTR v) {
  return PutText("CustomPreReqPageUrl", &P::put_CustomPreReqPageUrl, v);
}
STDMETHODIMP CLoaderControl::get_MsiDeployment(VARIANT_BOOL* v) {
  return GetFlag("MsiDeployment", &P::get_MsiDeployment, v);
}
STDMETHODIMP CLoaderControl::put_MsiDeployment(VARIANT_BOOL v) {
  return PutValue("MsiDeployment", &P::put_MsiDeployment, v);
}

STDMETHODIMP CLoaderControl::get_UseZELServerVersion(VARIANT_BOOL* v) {
  return GetFlag("UseZELServerVersion", &P::get_UseZELServerVersion, v);
}
STDMETHODIMP CLoaderControl::put_UseZELServerVersion(VARIANT_BOOL v) {
  return PutValue("UseZELServerVersion", &P::put_UseZELServerVersion, v);
}
STDMETHODIMP CLoaderControl::get_ZELServerVersion(BSTR* v) {
  return GetText("ZELServerVersion", &P::get_ZELServerVersion, v);
}
STDMETHODIMP CLoaderControl::put_ZELServerVersion(BSTR v) {
  return PutText("ZELServerVersion", &P::put_ZELServerVersion, v);
}

// Accepted and without effect: nothing is stored, so nothing needs saving.
STDMETHODIMP CLoaderControl::put_StartByDorivizu(VARIANT_BOOL v) {
  return NVarnik::Guarded("CLoader::put_StartByDorivizu",
                          [&] { return session_->Properties().put_StartByDorivizu(v); });
}
