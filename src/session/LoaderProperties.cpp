#include "session/LoaderProperties.h"

#include <cctype>
#include <limits>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"

namespace {

using platform::HResult;
using platform::kENotImpl;
using platform::kEPointer;
using platform::kSOk;

constexpr char kSetTo[] = "Property set to: ";
constexpr char kHiddenPassword[] = "some password";
constexpr char kVuvoVizizSetup[] = "VuvoViziz_setup.cab";

void LogSet(const char* name, const std::string& shown) {
  SimpleLogger::GetInstance()->Info(std::string("CLoader::put_") + name, kSetTo + shown);
}

template <typename T>
HResult Get(const T& field, T* value) {
  if (!value) return kEPointer;
  *value = field;
  return kSOk;
}

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string ColorText(ColorRef color) {
  return Format("%ld", static_cast<long>(static_cast<int32_t>(color)));
}

}  // namespace

std::string SetupDescriptorNameKey(const std::string& url, int64_t* splitPoint) {
  size_t split = url.find("/servlet");
  if (split == std::string::npos) split = url.rfind('/');
  if (splitPoint) *splitPoint = split == std::string::npos ? -1 : static_cast<int64_t>(split);
  std::string key = split == std::string::npos ? url : url.substr(split + 1);
  // Trail bytes of the double-byte code pages never take these values, so
  // a byte walk is the multibyte walk.
  for (char& c : key) {
    if (c == '?' || c == '=' || c == '/') c = '_';
  }
  return key;
}

ColorRef ParseColor(const std::string& text) {
  size_t at = 0;
  if (!text.empty() && text[0] == '#') {
    uint64_t value = 0;
    for (at = 1; at < text.size() && HexDigit(text[at]) >= 0; ++at) {
      value = value * 16 + static_cast<uint64_t>(HexDigit(text[at]));
      if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<ColorRef>(value);
  }
  while (at < text.size() && IsSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  int64_t value = 0;
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > kMax + 1) break;  // held at the limit below
  }
  value = negative ? -value : value;
  if (value > kMax) value = kMax;
  if (value < -kMax - 1) value = -kMax - 1;
  return static_cast<ColorRef>(static_cast<int32_t>(value));
}

HResult LoaderProperties::PutFlag(const char* name, VariantBool value, VariantBool& field) {
  LogSet(name, value ? "TRUE" : "FALSE");
  field = value;
  return kSOk;
}

HResult LoaderProperties::PutText(const char* name, const std::string& value, std::string& field) {
  LogSet(name, value);
  field = value;
  return kSOk;
}

// Passwords never reach the log.
HResult LoaderProperties::PutSecret(const char* name, const std::string& value,
                                    std::string& field) {
  LogSet(name, kHiddenPassword);
  field = value;
  return kSOk;
}

HResult LoaderProperties::put_BrowserUI(VariantBool value) {
  return PutFlag("BrowserUI", value, state_.browserUi);
}
HResult LoaderProperties::get_BrowserUI(VariantBool* value) const {
  return Get(state_.browserUi, value);
}

HResult LoaderProperties::put_ProgColor(const std::string& value) {
  LogSet("ProgColor", value);
  state_.progColor = ParseColor(value);
  return kSOk;
}
HResult LoaderProperties::get_ProgColor(std::string* value) const {
  return Get(ColorText(state_.progColor), value);
}

HResult LoaderProperties::put_ProgBkColor(const std::string& value) {
  LogSet("ProgBkColor", value);
  state_.progBkColor = ParseColor(value);
  return kSOk;
}
HResult LoaderProperties::get_ProgBkColor(std::string* value) const {
  return Get(ColorText(state_.progBkColor), value);
}

HResult LoaderProperties::put_SetupFile(const std::string& value) {
  LogSet("SetupFile", value);
  state_.setupFile = value;
  int64_t split = -1;
  state_.setupFileName = SetupDescriptorNameKey(value, &split);
  std::string base = split < 0 ? std::string() : value.substr(0, static_cast<size_t>(split));
  while (!base.empty() && base.back() == '/') base.pop_back();
  state_.setupFileBaseUrl = base;
  state_.setupFileBaseUrlTrimmed = Trimmed(base);
  state_.isVuvoVizizSetup =
      platform::CodePageEqualsNoCase(state_.setupFileName, kVuvoVizizSetup) ? 1 : 0;
  // The deployment engine names the server by the URL the descriptor comes
  // from.
  engine_.SetServerUrl(state_.setupFileBaseUrlTrimmed);
  return kSOk;
}
HResult LoaderProperties::get_SetupFile(std::string* value) const {
  return Get(state_.setupFile, value);
}

HResult LoaderProperties::put_SetupExtFile(const std::string& value) {
  LogSet("SetupExtFile", value);
  state_.setupExtFile = value;
  state_.setupExtFileName = SetupDescriptorNameKey(value);
  return kSOk;
}
HResult LoaderProperties::get_SetupExtFile(std::string* value) const {
  return Get(state_.setupExtFile, value);
}

HResult LoaderProperties::put_PluginExtFiles(const std::string& value) {
  LogSet("PluginExtFiles", value);
  state_.pluginExtFiles = value;
  state_.pluginExtFilesName = SetupDescriptorNameKey(value);
  return kSOk;
}
HResult LoaderProperties::get_PluginExtFiles(std::string* value) const {
  return Get(state_.pluginExtFiles, value);
}

HResult LoaderProperties::put_DomainName(const std::string& value) {
  return PutText("DomainName", value, state_.domainName);
}
HResult LoaderProperties::get_DomainName(std::string* value) const {
  return Get(state_.domainName, value);
}

HResult LoaderProperties::put_DomainPassword(const std::string& value) {
  return PutSecret("DomainPassword", value, state_.domainPassword);
}
HResult LoaderProperties::get_DomainPassword(std::string* value) const {
  return Get(state_.domainPassword, value);
}

HResult LoaderProperties::put_TkRootURL(const std::string& value) {
  LogSet("TkRootURL", value);
  state_.tkRootUrl = value;
  if (!value.empty() && value.back() == '/') {
    state_.tkRootUrl.pop_back();
    LogSet("TkRootURL", state_.tkRootUrl);
  }
  return kSOk;
}
HResult LoaderProperties::get_TkRootURL(std::string* value) const {
  return Get(state_.tkRootUrl, value);
}

HResult LoaderProperties::put_TestTypeFile(const std::string& value) {
  LogSet("TestTypeFile", value);
  return kENotImpl;
}
HResult LoaderProperties::get_TestTypeFile(std::string*) const { return kENotImpl; }

HResult LoaderProperties::put_CustomTestTypesFiles(const std::string& value) {
  LogSet("CustomTestTypesFiles", value);
  return kENotImpl;
}
HResult LoaderProperties::get_CustomTestTypesFiles(std::string*) const { return kENotImpl; }

HResult LoaderProperties::put_AdditionalParams(const std::string& value) {
  return PutText("AdditionalParams", value, state_.additionalParams);
}
HResult LoaderProperties::get_AdditionalParams(std::string* value) const {
  return Get(state_.additionalParams, value);
}

HResult LoaderProperties::put_InstallationOnly(VariantBool value) {
  return PutFlag("InstallationOnly", value, state_.installationOnly);
}
HResult LoaderProperties::get_InstallationOnly(VariantBool* value) const {
  return Get(state_.installationOnly, value);
}

HResult LoaderProperties::put_DownloadContentFlavor(const std::string& value) {
  return PutText("DownloadContentFlavor", value, state_.downloadContentFlavor);
}
HResult LoaderProperties::get_DownloadContentFlavor(std::string* value) const {
  return Get(state_.downloadContentFlavor, value);
}

HResult LoaderProperties::put_IsolatedDeployment(VariantBool value) {
  return PutFlag("IsolatedDeployment", value, state_.isolatedDeployment);
}
HResult LoaderProperties::get_IsolatedDeployment(VariantBool* value) const {
  return Get(state_.isolatedDeployment, value);
}

HResult LoaderProperties::get_DeploymentLocation(std::string* value) {
  if (!value) return kEPointer;
  if (!state_.deploymentEngineInitialized) return platform::kEFail;
  *value = engine_.GetCurrentDeploymentFolder();
  return kSOk;
}

HResult LoaderProperties::put_AuthUser(const std::string& value) {
  return PutText("AuthUser", value, state_.network.authUser);
}
HResult LoaderProperties::put_AuthPassword(const std::string& value) {
  return PutSecret("AuthPassword", value, state_.network.authPassword);
}
HResult LoaderProperties::put_AuthProxyUser(const std::string& value) {
  return PutText("AuthProxyUser", value, state_.network.authProxyUser);
}
HResult LoaderProperties::put_AuthProxyPassword(const std::string& value) {
  return PutSecret("AuthProxyPassword", value, state_.network.authProxyPassword);
}
HResult LoaderProperties::put_AuthProxyURL(const std::string& value) {
  return PutText("AuthProxyURL", value, state_.network.authProxyUrl);
}
HResult LoaderProperties::put_AuthProxyPort(int32_t value) {
  LogSet("AuthProxyPort", Format("%d", value));
  state_.network.authProxyPort = value;
  return kSOk;
}
HResult LoaderProperties::put_AuthReserved(const std::string& value) {
  return PutText("AuthReserved", value, state_.network.authReserved);
}

HResult LoaderProperties::put_SkipPreReqCheck(VariantBool value) {
  return PutFlag("SkipPreReqCheck", value, state_.skipPreReqCheck);
}
HResult LoaderProperties::get_SkipPreReqCheck(VariantBool* value) const {
  return Get(state_.skipPreReqCheck, value);
}

HResult LoaderProperties::put_CustomPreReqPageUrl(const std::string& value) {
  const std::string lower = platform::CodePageLower(value);
  if (lower.rfind("http:", 0) == 0 || lower.rfind("https:", 0) == 0) {
    LogSet("CustomPreReqPageUrl", value);
    state_.customPreReqPageUrl = value;
  } else if (platform::CodePageEqualsNoCase(value, "NO_URL")) {
    LogSet("CustomPreReqPageUrl", "Missing prerequsite link will not be shown.");
    state_.customPreReqPageUrl = value;
  } else {
    LogSet("CustomPreReqPageUrl", "CustomPreReqPageUrl ignored - invalid URL format.");
  }
  return kSOk;
}
HResult LoaderProperties::get_CustomPreReqPageUrl(std::string* value) const {
  return Get(state_.customPreReqPageUrl, value);
}

HResult LoaderProperties::put_MsiDeployment(VariantBool value) {
  return PutFlag("MsiDeployment", value, state_.msiDeployment);
}
HResult LoaderProperties::get_MsiDeployment(VariantBool* value) const {
  return Get(state_.msiDeployment, value);
}

HResult LoaderProperties::put_UseZELServerVersion(VariantBool value) {
  return PutFlag("UseZELServerVersion", value, state_.useZelServerVersion);
}
HResult LoaderProperties::get_UseZELServerVersion(VariantBool* value) const {
  return Get(state_.useZelServerVersion, value);
}

HResult LoaderProperties::put_ZELServerVersion(const std::string& value) {
  return PutText("ZELServerVersion", value, state_.zelServerVersion);
}
HResult LoaderProperties::get_ZELServerVersion(std::string* value) const {
  return Get(state_.zelServerVersion, value);
}

// Accepted for the pages that set it; it has no effect.
HResult LoaderProperties::put_StartByDorivizu(VariantBool) { return kSOk; }
