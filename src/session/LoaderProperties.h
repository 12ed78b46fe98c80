// The control's properties as the page sets and reads them: what each setter
// stores and checks and the line it logs, what each getter answers. Text
// arrives as narrow text in the system code page; the COM control converts
// its BSTRs on the way in and out (an empty text is a null BSTR). Results are
// HRESULTs, as the dispatch interface returns them.
#pragma once

#include <cstdint>
#include <string>

#include "deployment/DeploymentEngine.h"
#include "platform/Win32Codes.h"
#include "session/SessionState.h"

// The name key of a setup-descriptor URL: the text after "/servlet"'s
// slash, else after the last "/", else the whole text, with every "?", "="
// and "/" made "_". splitPoint is where the URL was split (-1: nowhere).
std::string SetupDescriptorNameKey(const std::string& url, int64_t* splitPoint = nullptr);

// A colour as the page writes it: "#" and hexadecimal digits, or a decimal
// number (leading white space skipped, reading stops at the first other
// character, no digits is 0). Values beyond 32 bits are held at the limit.
ColorRef ParseColor(const std::string& text);

class LoaderProperties {
 public:
  LoaderProperties(SessionState& state, DeploymentEngine& engine)
      : state_(state), engine_(engine) {}

  platform::HResult put_BrowserUI(VariantBool value);
  platform::HResult get_BrowserUI(VariantBool* value) const;
  platform::HResult put_ProgColor(const std::string& value);
  platform::HResult get_ProgColor(std::string* value) const;
  platform::HResult put_ProgBkColor(const std::string& value);
  platform::HResult get_ProgBkColor(std::string* value) const;
  platform::HResult put_SetupFile(const std::string& value);
  platform::HResult get_SetupFile(std::string* value) const;
  platform::HResult put_SetupExtFile(const std::string& value);
  platform::HResult get_SetupExtFile(std::string* value) const;
  platform::HResult put_DomainName(const std::string& value);
  platform::HResult get_DomainName(std::string* value) const;
  platform::HResult put_DomainPassword(const std::string& value);
  platform::HResult get_DomainPassword(std::string* value) const;
  platform::HResult put_TkRootURL(const std::string& value);
  platform::HResult get_TkRootURL(std::string* value) const;
  platform::HResult put_PluginExtFiles(const std::string& value);
  platform::HResult get_PluginExtFiles(std::string* value) const;
  platform::HResult put_TestTypeFile(const std::string& value);
  platform::HResult get_TestTypeFile(std::string* value) const;
  platform::HResult put_CustomTestTypesFiles(const std::string& value);
  platform::HResult get_CustomTestTypesFiles(std::string* value) const;
  platform::HResult put_AdditionalParams(const std::string& value);
  platform::HResult get_AdditionalParams(std::string* value) const;
  platform::HResult put_InstallationOnly(VariantBool value);
  platform::HResult get_InstallationOnly(VariantBool* value) const;
  platform::HResult put_DownloadContentFlavor(const std::string& value);
  platform::HResult get_DownloadContentFlavor(std::string* value) const;
  platform::HResult put_IsolatedDeployment(VariantBool value);
  platform::HResult get_IsolatedDeployment(VariantBool* value) const;
  // E_FAIL until start-up has set the deployment engine up.
  platform::HResult get_DeploymentLocation(std::string* value);
  platform::HResult put_AuthUser(const std::string& value);
  platform::HResult put_AuthPassword(const std::string& value);
  platform::HResult put_AuthProxyUser(const std::string& value);
  platform::HResult put_AuthProxyPassword(const std::string& value);
  platform::HResult put_AuthProxyURL(const std::string& value);
  platform::HResult put_AuthProxyPort(int32_t value);
  platform::HResult put_AuthReserved(const std::string& value);
  platform::HResult put_SkipPreReqCheck(VariantBool value);
  platform::HResult get_SkipPreReqCheck(VariantBool* value) const;
  platform::HResult put_CustomPreReqPageUrl(const std::string& value);
  platform::HResult get_CustomPreReqPageUrl(std::string* value) const;
  platform::HResult put_MsiDeployment(VariantBool value);
  platform::HResult get_MsiDeployment(VariantBool* value) const;
  platform::HResult put_UseZELServerVersion(VariantBool value);
  platform::HResult get_UseZELServerVersion(VariantBool* value) const;
  platform::HResult put_ZELServerVersion(const std::string& value);
  platform::HResult get_ZELServerVersion(std::string* value) const;
  platform::HResult put_StartByDorivizu(VariantBool value);

 private:
  platform::HResult PutFlag(const char* name, VariantBool value, VariantBool& field);
  platform::HResult PutText(const char* name, const std::string& value, std::string& field);
  platform::HResult PutSecret(const char* name, const std::string& value, std::string& field);

  SessionState& state_;
  DeploymentEngine& engine_;
};
