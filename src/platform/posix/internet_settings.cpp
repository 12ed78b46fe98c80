#include "platform/posix/internet_settings.h"

#include <vector>

#include "infra/StringHelpers.h"
#include "platform/Registry.h"
#include "platform/TextCompare.h"

namespace platform::posix {
namespace {

constexpr char kSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    const size_t first = part.find_first_not_of(" \t");
    const size_t last = part.find_last_not_of(" \t");
    if (first != std::string::npos) parts.push_back(part.substr(first, last - first + 1));
    start = end + 1;
  }
  return parts;
}

bool IsLoopback(const std::string& host) {
  return OrdinalEqualsNoCase(host, "localhost") || host.rfind("127.", 0) == 0 || host == "[::1]" ||
         host == "::1";
}

}  // namespace

bool ProxyBypassed(const std::string& host, const std::string& overrideList) {
  bool loopbackBypassed = true;
  for (const std::string& entry : Split(overrideList, ';')) {
    if (OrdinalEqualsNoCase(entry, "<-loopback>")) {
      loopbackBypassed = false;
    } else if (OrdinalEqualsNoCase(entry, "<local>")) {
      if (host.find('.') == std::string::npos && host.find(':') == std::string::npos) return true;
    } else if (MatchesWildcard(host, entry)) {
      return true;
    }
  }
  return loopbackBypassed && IsLoopback(host);
}

std::string ProxyForScheme(const std::string& server, const std::string& scheme) {
  std::string fallback;
  for (const std::string& entry : Split(server, ';')) {
    const size_t equals = entry.find('=');
    if (equals == std::string::npos) {
      fallback = entry;
    } else if (OrdinalEqualsNoCase(entry.substr(0, equals), scheme)) {
      return entry.substr(equals + 1);
    }
  }
  return fallback;
}

ConnectionSettings SettingsForUrl(const std::string& scheme, const std::string& host) {
  ConnectionSettings settings;
  RegistryKey key;
  if (RegistryKey::Open(RegistryRoot::CurrentUser, kSettingsKey, RegistryAccess::Read, key) != kErrorSuccess)
    return settings;
  uint32_t timeout = 0;
  if (key.ReadDword("ReceiveTimeout", timeout) == kErrorSuccess && timeout != 0) settings.receiveTimeout = timeout;
  uint32_t enabled = 0;
  if (key.ReadDword("ProxyEnable", enabled) != kErrorSuccess) return settings;
  ProxyDecision& decision = settings.proxy;
  decision.configured = true;
  std::string server;
  if (!enabled || key.ReadString("ProxyServer", server) != kErrorSuccess) return settings;
  std::string overrideList;
  key.ReadString("ProxyOverride", overrideList);
  if (ProxyBypassed(host, overrideList)) return settings;
  decision.proxy = ProxyForScheme(server, scheme);
  const size_t schemeEnd = decision.proxy.find("://");
  if (schemeEnd != std::string::npos) decision.proxy = decision.proxy.substr(schemeEnd + 3);
  return settings;
}

}  // namespace platform::posix
