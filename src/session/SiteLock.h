// The approved-zone check of the page that hosts the control: the control
// is safe for scripting only on pages of the local intranet or the trusted
// sites. The verdict is kept process-wide as the site-lock flag, which
// start-up reads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Security zones of URLs (URLZONE_*).
constexpr int32_t kZoneLocalMachine = 0;
constexpr int32_t kZoneIntranet = 1;
constexpr int32_t kZoneTrusted = 2;
constexpr int32_t kZoneInternet = 3;
constexpr int32_t kZoneUntrusted = 4;

// One allow rule: a scheme and a host, where the host is a zone marker or
// a host name ("*.example.com" also takes every host below example.com).
struct SiteRule {
  const char* scheme;
  const char* host;
};

constexpr char kIntranetMarker[] = "#intranet";   // zone 1 or 2
constexpr char kTrustedMarker[] = "#trusted";     // zone 2
constexpr char kLocalMachineMarker[] = "#local";  // zone 0

// True when the first rule matching the URL's scheme and host (or its zone)
// allows it. The scheme compares exactly.
bool SiteRulesAllow(const std::string& url, int32_t zone);

// The check as the control makes it: url and zone are empty when they could
// not be had, and the answer is then "not approved", with nothing logged
// and the flag left alone. Otherwise the verdict is logged and sets or
// clears the site-lock flag.
bool CheckApprovedZone(const std::optional<std::string>& url, const std::optional<int32_t>& zone);

// Set while the last hosting page checked is outside the approved zones.
bool SiteLockFlag();
void SetSiteLockFlag(bool locked);
