#include "install/ComSurrogate.h"

#include <string>

#include "infra/SimpleLogger.h"
#include "platform/Registry.h"

bool EnableXPI_SA_Surrogate(bool forXpi) {
  const char* const location = "EnableXPI_SA_Surrogate";
  SimpleLogger& log = *SimpleLogger::GetInstance();
  log.Info(location, forXpi ? "Enable XPI COM surrogate " : "Enable RiRUR COM surrogate ");
  const std::string id = forXpi ? kXpiSurrogateId : kRiRurSurrogateId;
  using platform::RegistryKey;
  RegistryKey appId;
  RegistryKey classId;
  const bool enabled =
      RegistryKey::Create(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Classes\\AppID\\" + id,
                          appId) == platform::kErrorSuccess &&
      appId.WriteString("DllSurrogate", "") == platform::kErrorSuccess &&
      RegistryKey::Create(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Classes\\CLSID\\" + id,
                          classId) == platform::kErrorSuccess &&
      classId.WriteString("AppID", id) == platform::kErrorSuccess;
  if (!enabled) log.Warning(location, "Enable COM surrogate failed!");
  return enabled;
}
