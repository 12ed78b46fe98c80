#include "session/SiteLock.h"

#include <atomic>
#include <cstring>

#include "infra/SimpleLogger.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kLocation[] = "CSiteLock<class CLoader>::InApprovedDomain";

constexpr SiteRule kAllowRules[] = {
    {"http", kIntranetMarker},
    {"https", kIntranetMarker},
    {"http", kTrustedMarker},
    {"https", kTrustedMarker},
};

std::atomic<bool> g_siteLocked{false};

struct UrlParts {
  std::string scheme;
  std::string host;
};

// scheme ":" ["//" [user "@"] host [":" port]] ...
UrlParts SplitUrl(const std::string& url) {
  UrlParts parts;
  const size_t colon = url.find(':');
  if (colon == std::string::npos) return parts;
  parts.scheme = url.substr(0, colon);
  if (url.compare(colon + 1, 2, "//") != 0) return parts;
  const size_t start = colon + 3;
  const size_t end = url.find_first_of("/?#\\", start);
  std::string authority =
      url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority = authority.substr(at + 1);
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    parts.host = authority.substr(0, close == std::string::npos ? std::string::npos : close + 1);
  } else {
    parts.host = authority.substr(0, authority.find(':'));
  }
  return parts;
}

bool HostMatches(const char* pattern, const std::string& host, int32_t zone) {
  if (std::strcmp(pattern, kIntranetMarker) == 0)
    return zone == kZoneIntranet || zone == kZoneTrusted;
  if (std::strcmp(pattern, kTrustedMarker) == 0) return zone == kZoneTrusted;
  if (std::strcmp(pattern, kLocalMachineMarker) == 0) return zone == kZoneLocalMachine;
  if (std::strncmp(pattern, "*.", 2) == 0) {
    const std::string suffix(pattern + 1);  // ".example.com"
    return host.size() > suffix.size() &&
           platform::CodePageEqualsNoCase(host.substr(host.size() - suffix.size()), suffix);
  }
  return platform::CodePageEqualsNoCase(host, pattern);
}

}  // namespace

bool SiteRulesAllow(const std::string& url, int32_t zone) {
  const UrlParts parts = SplitUrl(url);
  for (const SiteRule& rule : kAllowRules) {
    if (parts.scheme != rule.scheme) continue;
    if (HostMatches(rule.host, parts.host, zone)) return true;
  }
  return false;
}

bool CheckApprovedZone(const std::optional<std::string>& url, const std::optional<int32_t>& zone) {
  if (!url || !zone) return false;
  if (!SiteRulesAllow(*url, *zone)) {
    SimpleLogger::GetInstance()->Error(
        kLocation, "Attempt to initialize ZEL-PLATFORM-LOADER ActiveX out of allowed zone.");
    g_siteLocked = true;
    return false;
  }
  SimpleLogger::GetInstance()->Info(kLocation, "ActiveX loaded for allowed zone.");
  g_siteLocked = false;
  return true;
}

bool SiteLockFlag() { return g_siteLocked; }

void SetSiteLockFlag(bool locked) { g_siteLocked = locked; }
