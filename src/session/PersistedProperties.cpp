#include "session/PersistedProperties.h"

#include <cctype>
#include <cstdlib>

#include "platform/TextCompare.h"

const std::vector<PersistedProperty>& PersistedProperties() {
  static const std::vector<PersistedProperty> table = {
      {"_cx", 0, kVtUi4, "width of the control (HIMETRIC), kept by the container", ""},
      {"_cy", 0, kVtUi4, "height of the control (HIMETRIC), kept by the container", ""},
      {"BrowserUI", 1, kVtBool, "switch the browser's menu bar and tool bar off at start-up",
       "false"},
      {"ProgColor", 2, kVtBstr, "progress bar colour: \"#\" and hexadecimal 0xBBGGRR, or decimal",
       "9306141"},
      {"ProgBkColor", 3, kVtBstr, "progress bar background colour, as ProgColor", "16777215"},
      {"SetupFile", 4, kVtBstr, "URL of the setup descriptor cabinet", ""},
      {"SetupExtFile", 5, kVtBstr, "URL of the extension descriptor cabinet", ""},
      {"DomainName", 6, kVtBstr, "domain name handed to the client", ""},
      {"DomainPassword", 7, kVtBstr, "domain password handed to the client", ""},
      {"TkRootURL", 8, kVtBstr, "root URL of the server", ""},
      {"PluginExtFiles", 9, kVtBstr, "URL of the plug-in descriptor cabinet", ""},
      {"AdditionalParams", 12, kVtBstr, "switches as key=value pairs (debugclient=true, ...)", ""},
      {"InstallationOnly", 13, kVtBool, "deploy without starting the client", "false"},
      {"DownloadContentFlavor", 14, kVtBstr, "content flavour to deploy", ""},
      {"IsolatedDeployment", 15, kVtBool, "deploy for this user only", "false"},
      {"DeploymentLocation", 16, kVtBstr, "deployment folder (read only)", ""},
      {"SkipPreReqCheck", 24, kVtBool, "skip the prerequisite checks", "false"},
      {"CustomPreReqPageUrl", 25, kVtBstr,
       "page shown for a missing prerequisite: an http(s) URL or NO_URL", ""},
      {"MsiDeployment", 26, kVtBool, "run in local mode over an installed package", "false"},
      {"UseZELServerVersion", 27, kVtBool, "deploy per server version", "false"},
      {"ZELServerVersion", 28, kVtBstr, "server version for per-version deployment", ""},
      {"HostByDorivizu", 30, kVtBool, "accepted and ignored", "false"},
  };
  return table;
}

const PersistedProperty* FindPersistedProperty(const std::string& name) {
  for (const PersistedProperty& property : PersistedProperties()) {
    if (platform::CodePageEqualsNoCase(name, property.name)) return &property;
  }
  return nullptr;
}

bool ParseVariantBool(const std::string& text, VariantBool& value) {
  if (platform::CodePageEqualsNoCase(text, "true")) {
    value = -1;
    return true;
  }
  if (platform::CodePageEqualsNoCase(text, "false")) {
    value = 0;
    return true;
  }
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  if (at == text.size()) return false;
  bool zero = true;
  for (; at < text.size(); ++at) {
    if (!std::isdigit(static_cast<unsigned char>(text[at]))) return false;
    if (text[at] != '0') zero = false;
  }
  value = zero ? 0 : -1;
  return true;
}

platform::HResult ApplyPersistedProperty(LoaderProperties& properties,
                                         const PersistedProperty& property,
                                         const std::string& text) {
  VariantBool flag = 0;
  if (property.variantType == kVtBool && !ParseVariantBool(text, flag)) return kEInvalidArg;
  switch (property.dispid) {
    case 1: return properties.put_BrowserUI(flag);
    case 2: return properties.put_ProgColor(text);
    case 3: return properties.put_ProgBkColor(text);
    case 4: return properties.put_SetupFile(text);
    case 5: return properties.put_SetupExtFile(text);
    case 6: return properties.put_DomainName(text);
    case 7: return properties.put_DomainPassword(text);
    case 8: return properties.put_TkRootURL(text);
    case 9: return properties.put_PluginExtFiles(text);
    case 12: return properties.put_AdditionalParams(text);
    case 13: return properties.put_InstallationOnly(flag);
    case 14: return properties.put_DownloadContentFlavor(text);
    case 15: return properties.put_IsolatedDeployment(flag);
    case 24: return properties.put_SkipPreReqCheck(flag);
    case 25: return properties.put_CustomPreReqPageUrl(text);
    case 26: return properties.put_MsiDeployment(flag);
    case 27: return properties.put_UseZELServerVersion(flag);
    case 28: return properties.put_ZELServerVersion(text);
    case 30: return properties.put_StartByDorivizu(flag);
    default: return kDispEMemberNotFound;
  }
}
