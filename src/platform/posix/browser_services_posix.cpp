#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/BrowserServices.h"
#include "platform/LastError.h"
#include "platform/TextCompare.h"
#include "platform/posix/machine_config.h"

namespace platform {
namespace {

bool IsLoopbackHost(const std::string& host) {
  if (OrdinalEqualsNoCase(host, "localhost") || host == "[::1]") return true;
  if (host.rfind("127.", 0) != 0) return false;
  return host.find_first_not_of("0123456789.") == std::string::npos;
}

// The host of scheme://[user@]host[:port]/...; empty when the URL has none.
std::string HostOf(const std::string& url, size_t authorityStart) {
  const size_t authorityEnd = url.find_first_of("/\\?#", authorityStart);
  std::string authority = url.substr(authorityStart, authorityEnd == std::string::npos
                                                         ? std::string::npos
                                                         : authorityEnd - authorityStart);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  size_t hostEnd = std::string::npos;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    hostEnd = close == std::string::npos ? std::string::npos : close + 1;
  } else {
    hostEnd = authority.find(':');
  }
  return authority.substr(0, hostEnd);
}

// The most specific entry: the host itself, else the longest domain the
// host lies below; host names compare without regard to case.
bool LookUpZone(const posix::MachineConfig& config, const std::string& host, uint32_t& zone) {
  size_t bestLength = 0;
  bool found = false;
  for (const auto& [name, number] : config.zones) {
    const bool matches =
        OrdinalEqualsNoCase(host, name) ||
        (host.size() > name.size() + 1 &&
         OrdinalEqualsNoCase(std::string_view(host).substr(host.size() - name.size()), name) &&
         host[host.size() - name.size() - 1] == '.');
    if (matches && name.size() >= bestLength) {
      bestLength = name.size();
      zone = number;
      found = true;
    }
  }
  return found;
}

}  // namespace

HResult QueryIeProtectedMode(bool& protectedMode) {
  protectedMode = false;
  const std::string setting = posix::LoadMachineConfig().ieProtectedMode;
  if (OrdinalEqualsNoCase(setting, "on")) {
    protectedMode = true;
    return kSOk;
  }
  if (OrdinalEqualsNoCase(setting, "off")) return kSOk;
  // A failure code the function returns; anything else means no library.
  char* end = nullptr;
  const unsigned long code = std::strtoul(setting.c_str(), &end, 16);
  if (OrdinalEqualsNoCase(std::string_view(setting).substr(0, 2), "0x") && end && *end == '\0' &&
      (code & 0x80000000u))
    return static_cast<HResult>(static_cast<uint32_t>(code));
  return kENotImpl;
}

ZoneLookup MapUrlToZone(const std::string& url, uint32_t& zone) {
  const size_t colon = url.find(':');
  if (colon == std::string::npos || colon == 0) return ZoneLookup::Failed;
  const std::string scheme = url.substr(0, colon);
  const bool hasAuthority = url.compare(colon + 1, 2, "//") == 0;
  const std::string host = hasAuthority ? HostOf(url, colon + 3) : std::string();
  if (OrdinalEqualsNoCase(scheme, "file") && host.empty()) {
    zone = kZoneLocalMachine;
    return ZoneLookup::Mapped;
  }
  if (host.empty()) return ZoneLookup::Failed;

  const posix::MachineConfig config = posix::LoadMachineConfig();
  if (LookUpZone(config, host, zone)) return ZoneLookup::Mapped;
  // A file URL naming a server is a share of the local network.
  const bool local = IsLoopbackHost(host) || OrdinalEqualsNoCase(scheme, "file");
  zone = local ? kZoneIntranet : kZoneInternet;
  return ZoneLookup::Mapped;
}

bool OpenPage(const std::string&) {
  SetLastErrorCode(kErrorNotSupported);
  return false;
}

}  // namespace platform
