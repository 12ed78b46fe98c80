// IsSupportedOSVersion and the administrator checks.
#include "environment/PlatformChecks.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"

namespace {

constexpr char kOsLocation[] = "CLoader::IsSupportedOSVersion";
constexpr char kAdminLocation[] = "CLoader::GetErrorMsgMissingAdminPermitions";
constexpr char kPoliciesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

void Log(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Info(location, message);
}

// The verdict table: the first matching row decides.
bool OsVerdict(const platform::OsVersion& os) {
  const auto log = [](const char* message) { Log(kOsLocation, message); };
  if (os.major < 5) {
    log("OS version is less than XP");
    return false;
  }
  if (os.major == 5) {
    if (os.minor != 1) return false;
    log("OS version is Windows XP");
    if (os.servicePackMajor >= 3) {
      log("Service pack level is SP3+");
      return true;
    }
    log("Service pack level is not supported");
    return false;
  }
  if (os.major == 6) {
    if (os.minor == 1 && os.productType == platform::kProductWorkstation) {
      if (os.servicePackMajor == 0) return false;
      log("OS version is Windows 7");
      log("Service pack level is SP1+");
      return true;
    }
    if (os.productType == platform::kProductServer)
      log("OS version is Windows 2008 family which is not supported.");
    return false;
  }
  if (os.major == 10) {
    if (os.productType != platform::kProductWorkstation) return false;
    log("OS version is Windows 10 (or above) which is supported.");
    return true;
  }
  return false;
}

}  // namespace

PlatformChecks::PlatformChecks(const EnvironmentSettings& settings) : settings_(settings) {}

bool PlatformChecks::IsSupportedOSVersion() {
  // Only an isolated deployment is held to the supported versions.
  if (settings_.SkipOsCheck() || !settings_.IsolatedDeployment()) {
    Log(kOsLocation, "Skip host OS version valdiation.");
    return true;
  }
  platform::OsVersion os;
  if (!platform::ReadOsVersion(os)) {
    Log(kOsLocation, "GetVersionEx API failed");
    return false;
  }
  Log(kOsLocation,
      Format("Major[%d] Minor[%d] BuildNumber[%d] Service Pack major[%d] Product type[%d] "
             "Suite[0x%X]",
             static_cast<int>(os.major), static_cast<int>(os.minor), static_cast<int>(os.build),
             static_cast<int>(os.servicePackMajor), static_cast<int>(os.productType),
             os.suiteMask));
  return OsVerdict(os);
}

void PlatformChecks::GetErrorMsgMissingAdminPermitions(std::string& message) {
  platform::OsVersion os;
  if (!platform::ReadOsVersion(os) || os.platformId != platform::kPlatformWin32Nt ||
      os.major < 6) {
    message = settings_.ResourceString(AdminMessage::kRequiresAdministrator);
    return;
  }

  // The UAC switch is only logged; it does not change the choice.
  platform::RegistryKey policies;
  uint32_t enableLua = 0;
  platform::Win32Error readResult = platform::RegistryKey::Open(
      platform::RegistryRoot::LocalMachine, kPoliciesKey, platform::RegistryAccess::Read, policies);
  if (readResult == platform::kErrorSuccess) readResult = policies.ReadDword("EnableLUA", enableLua);
  const int uacStatus = readResult == platform::kErrorSuccess && enableLua != 0 ? 1 : 0;
  Log(kAdminLocation, Format("UAC status %d, return code %d - [0] for success", uacStatus,
                             static_cast<int>(readResult)));

  const bool windows8OrLater = IsWindows8OrLater();
  int id = windows8OrLater ? AdminMessage::kRunAsAdministratorContact
                           : AdminMessage::kRequiresAdministratorAndNoUac;
  uint32_t elevation = 0;
  const platform::Win32Error error = platform::QueryProcessElevationType(elevation);
  if (error != platform::kErrorSuccess) {
    Log(kAdminLocation,
        Format("Unable to detect process elevation type. Error %d", static_cast<int>(error)));
  } else if (elevation == platform::kTokenElevationTypeLimited) {
    Log(kAdminLocation, "TokenElevationTypeLimited");
    id = windows8OrLater ? AdminMessage::kRunAsAdministrator : AdminMessage::kRequiresNoUac;
  }
  message = settings_.ResourceString(id);
}
