// The browser's protected mode, the server's zone and the browser version.
#include "environment/PlatformChecks.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/BrowserServices.h"

namespace {

constexpr char kProtectedLocation[] = "CLoader::IsIeInProtectedMode";
constexpr char kZoneLocation[] = "CLoader::IsServerInTrustedZone";
constexpr char kBrowserLocation[] = "CLoader::VerifySupportedBrowser";

void Log(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Info(location, message);
}

}  // namespace

platform::HResult PlatformChecks::ProtectedModeProcess(bool& protectedMode) {
  if (!protectedModeKnown_) {
    bool answer = false;
    const platform::HResult result = platform::QueryIeProtectedMode(answer);
    protectedMode = answer;
    if (result != platform::kSOk && result != platform::kENotImpl) return result;
    protectedModeAnswer_ = answer;
    protectedModeResult_ = result;
    protectedModeKnown_ = true;
  }
  protectedMode = protectedModeAnswer_;
  return protectedModeResult_;
}

platform::HResult PlatformChecks::IsIeInProtectedMode(bool& protectedMode) {
  bool answer = false;
  platform::HResult result = ProtectedModeProcess(answer);
  Log(kProtectedLocation, Format("Check if IE is in protected mode returned with 0x%X, Value is %d",
                                 static_cast<unsigned>(result), answer ? 1 : 0));
  if (result == platform::kENotImpl) {
    Log(kProtectedLocation,
        "Check ProtecetedMode of IE, API is not implemented, - treat as protected mode is off");
    answer = false;
    result = platform::kSOk;
  }
  protectedMode = answer;
  return result;
}

bool PlatformChecks::IsServerInTrustedZone() {
  const std::string url = settings_.TkRootUrl();
  uint32_t zone = 0;
  switch (platform::MapUrlToZone(url, zone)) {
    case platform::ZoneLookup::NoSecurityManager:
      Log(kZoneLocation, "No Internet security manager; the server counts as trusted");
      return true;
    case platform::ZoneLookup::Failed:
      Log(kZoneLocation, Format("The zone of %s cannot be found", url.c_str()));
      return false;
    case platform::ZoneLookup::Mapped:
      break;
  }
  Log(kZoneLocation, Format("%s is in zone %u", url.c_str(), zone));
  return zone == platform::kZoneTrusted;
}

void PlatformChecks::VerifySupportedBrowser(const std::string& additionalParams) {
  std::string version;
  if (!GetParamValue(additionalParams, "ieversion=", version)) {
    Log(kBrowserLocation, "IE version was not supplied");
    return;
  }
  Log(kBrowserLocation, Format("Detected IE version: %s", version.c_str()));
  if (!version.empty() && version[0] == '7')
    SimpleLogger::GetInstance()->Warning(kBrowserLocation,
                                         "The current browser version is not supported!");
}
