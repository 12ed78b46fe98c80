#include "transfer/NetworkConfiguration.h"

#include <exception>

#include "infra/Encoders.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/Registry.h"
#include "transfer/WinInetWebClient.h"

namespace {

// The registry values are read into buffers of this size.
constexpr size_t kValueBufferSize = 260;

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

bool IsText(platform::RegistryValueType type) {
  return type == platform::RegistryValueType::String || type == platform::RegistryValueType::ExpandString;
}

// A string value read into the buffer; the text ends at its first zero.
bool ReadText(const platform::RegistryKey& key, const std::string& name, std::string& text) {
  platform::RegistryValue value;
  if (key.QueryValue(name, value, kValueBufferSize) != platform::kErrorSuccess || !IsText(value.type))
    return false;
  text.assign(value.data.begin(), value.data.end());
  text = text.c_str();
  return true;
}

// The stored user of one kind ("IIS" or "Proxy"), its unscrambled password
// and its domain; false when the dialog value says "N" or no user is stored.
bool ReadStoredCredentials(const platform::RegistryKey& key, const std::string& dialogValue,
                           const std::string& prefix, std::string& user, std::string& password) {
  std::string dialog;
  if (ReadText(key, dialogValue, dialog) && dialog == "N") return false;
  if (!ReadText(key, prefix + "AuthUser", user) || user.empty()) return false;
  password.clear();
  platform::RegistryValue stored;
  if (key.QueryValue(prefix + "AuthPswrd", stored, kValueBufferSize) == platform::kErrorSuccess)
    password = NetworkConfiguration::UnscrambleRegistryText(stored.data.data(), stored.data.size());
  std::string domain;
  if (ReadText(key, prefix + "Domain", domain) && !domain.empty() && user.find('\\') == std::string::npos)
    user = domain + "\\" + user;
  return true;
}

std::string Base64Of(const std::string& text) {
  std::string encoded;
  Base64Encode(std::vector<uint8_t>(text.begin(), text.end()), encoded);
  return encoded;
}

}  // namespace

bool NetworkConfiguration::UpdateUserAgentFlag(bool userScope, bool value) {
  static const char kLocation[] = "CLoader::UpdateUserAgentFlag";
  platform::RegistryKey key;
  const platform::Win32Error opened = platform::RegistryKey::Create(
      userScope ? platform::RegistryRoot::CurrentUser : platform::RegistryRoot::LocalMachine, kRegistryKey, key);
  if (opened != platform::kErrorSuccess && opened != platform::kErrorAlreadyExists) {
    Log().Warning(kLocation, Format("Unable to create or open registry path for User Agent settings. UserAgent "
                                    "flag is not set. Result: %ld",
                                    opened));
    return false;
  }
  if (platform::Win32Error error = key.WriteString("USER_AGENT", value ? "1" : "0")) {
    Log().Warning(kLocation,
                  Format("Unable to update registry for User Agent settings. UserAgent flag is not set. Result %ld",
                         error));
    return false;
  }
  Log().Info(kLocation, Format("USER_AGENT set with value %d. User scope %d", value ? 1 : 0, userScope ? 1 : 0));
  return true;
}

bool NetworkConfiguration::GetAuthDataFromRegistry() {
  static const char kLocation[] = "CLoader::GetAuthDataFromRegistry";
  platform::RegistryKey key;
  if (platform::RegistryKey::Open(platform::RegistryRoot::CurrentUser, kRegistryKey,
                                  platform::RegistryAccess::Read, key) != platform::kErrorSuccess) {
    Log().Info(kLocation, "GetAuthDataFromRegistry - Key not found.");
    return false;
  }
  NetworkProperties& properties = host_.Properties();
  bool taken = false;
  std::string user, password;
  if (ReadStoredCredentials(key, "OpenIISDialog", "IIS", user, password)) {
    properties.authUser = user;
    properties.authPassword = password;
    properties.authReserved = NetworkProperties::kFromRegistry;
    Log().Info(kLocation, "GetAuthDataFromRegistry - webUser:" + user);
    taken = true;
  }
  if (ReadStoredCredentials(key, "OpenProxyDialog", "Proxy", user, password)) {
    properties.authProxyUser = user;
    properties.authProxyPassword = password;
    properties.authReserved = NetworkProperties::kFromRegistry;
    Log().Info(kLocation, "GetAuthDataFromRegistry - proxyUser:" + user);
    taken = true;
  }
  return taken;
}

void NetworkConfiguration::LoadIgnoreSecurityFlagsFromRegistry() {
  static const char kLocation[] = "CLoader::LoadIgnoreSecurityFlagsFromRegistry";
  platform::RegistryKey key;
  if (platform::RegistryKey::Open(platform::RegistryRoot::CurrentUser, kRegistryKey,
                                  platform::RegistryAccess::Read, key) != platform::kErrorSuccess) {
    Log().Info(kLocation, "LoadIgnoreSecurityFlagsFromRegistry - Key not found.");
    return;
  }
  uint32_t mask = 0;
  if (key.ReadDword("IgnoreSecurityFlags", mask) == platform::kErrorSuccess) {
    host_.WebClient().SetCertificateErrorMask(mask);
  } else {
    Log().Info(kLocation, "LoadIgnoreSecurityFlagsFromRegistry - Value not read.");
  }
}

bool NetworkConfiguration::QueryUserAuthData() {
  static const char kLocation[] = "CLoader::QueryUserAuthData";
  if (host_.MsiDeployment()) return true;
  NetworkProperties& properties = host_.Properties();
  if (properties.authReserved != NetworkProperties::kNotSet) {
    Log().Info(kLocation, "QueryUserAuthData - Network configuration already set.");
    return true;
  }
  if (GetAuthDataFromRegistry()) {
    Log().Info(kLocation, "QueryUserAuthData - Configuration acquired from registry.");
    return true;
  }
  std::string user, password;
  if (!host_.WebClient().TryGetBasicAuthenticationCredentials(host_.ServerRootUrl(), user, password)) {
    Log().Warning(kLocation, "Unable acquire credentials from connection");
    return false;
  }
  if (user.empty()) {
    Log().Info(kLocation, "no credentials from connection.");
  } else {
    properties.authUser = user;
    properties.authPassword = password;
    Log().Info(kLocation, "updating credentials from connection.");
  }
  return true;
}

void NetworkConfiguration::SerializeNetworkConfiguration() {
  static const char kLocation[] = "CLoader::SerializeNetworkConfiguration";
  const NetworkProperties& properties = host_.Properties();
  if (properties.authReserved == NetworkProperties::kNotSet) {
    Log().Info(kLocation, "No special network configuration provided.");
    return;
  }
  // The log gets a copy in which no password appears.
  std::string real, logged;
  auto both = [&](const std::string& part) {
    real += part;
    logged += part;
  };
  if (!properties.authUser.empty()) both("&AuthUser=" + Base64Of(properties.authUser));
  if (!properties.authPassword.empty()) {
    real += "&AuthPassword=" + Base64Of(properties.authPassword);
    logged += "&AuthPassword=******";
  }
  if (!properties.authProxyUrl.empty()) both("&ProxyHost=" + properties.authProxyUrl);
  if (properties.authProxyPort != 0) both("&ProxyPort=" + std::to_string(properties.authProxyPort));
  if (!properties.authProxyUser.empty()) both("&ProxyUser=" + Base64Of(properties.authProxyUser));
  if (!properties.authProxyPassword.empty()) {
    real += "&ProxyPassword=" + Base64Of(properties.authProxyPassword);
    logged += "&ProxyPassword=******";
  }
  if (real.empty()) {
    Log().Info(kLocation, "Nothing to serialize in network configuration");
    return;
  }
  std::string& additionalParams = host_.AdditionalParams();
  Log().Info(kLocation, "AdditionalParams updated with network configuration:" + additionalParams + logged);
  additionalParams += real;
}

void NetworkConfiguration::TryAuthenticateClient() {
  static const char kLocation[] = "CLoader::TryAuthenticateClient";
  if (host_.MsiDeployment()) return;
  const NetworkProperties& properties = host_.Properties();
  if (!properties.AsksForWinInetAuthentication()) {
    Log().Info(kLocation, "AuthenticateClient - no need for authentication");
    return;
  }
  try {
    Log().Info(kLocation, "TryAuthenticateClient - starting sequence");
    WinInetWebClient& client = host_.WebClient();
    if (!properties.authUser.empty()) {
      Log().Info(kLocation, "Web authentication requested.");
      client.SetWebUser(properties.authUser);
      client.SetWebPassword(properties.authPassword);
    }
    if (!properties.authProxyUser.empty()) {
      Log().Info(kLocation, "Proxy authentication requested.");
      client.SetProxyUser(properties.authProxyUser);
      client.SetProxyPassword(properties.authProxyPassword);
    }
    if (!client.Authenticate(host_.ServerRootUrl())) Log().Error(kLocation, "Unable to authenticate client");
    Log().Info(kLocation, "Authentication on WinInet layer finished.");
  } catch (...) {
    Log().Error(kLocation, "TryAuthenticateClient throw an exception - failed");
  }
}

void NetworkConfiguration::CheckForClientCertificate(const std::string& parameters) {
  static const char kLocation[] = "CLoader::CheckForClientCertificate";
  std::string serial;
  if (!GetParamValue(parameters, "clientcertificatesn=", serial)) return;
  if (host_.WebClient().TrySetClientCertificate(serial)) {
    Log().Info(kLocation, "Client certificate set.");
  } else {
    Log().Error(kLocation, "Client certificate request but can't be set.");
  }
}
