// The five entry points of varnik.dll (exported by varnik.def).
#include <windows.h>
#include <olectl.h>

#include <functional>
#include <new>

#include "com/CServerRegistration.h"
#include "com/ComModule.h"
#include "com/ModuleClasses.h"
#include "com/resource_ids.h"
#include "infra/SimpleLogger.h"

extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine);

namespace {

HRESULT WithModulePlan(const char* location,
                       const std::function<HRESULT(const CServerRegistration&)>& action) {
  try {
    RegistrationPlan plan;
    const HRESULT planned =
        CServerRegistration::ForModule({IDR_LOADER_SCRIPT, IDR_DEPLOYMENT_HELPER_SCRIPT}, plan);
    if (FAILED(planned)) return planned;
    return action(CServerRegistration(std::move(plan)));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    SimpleLogger::GetInstance()->Error(location, "Unknown exception");
    return E_UNEXPECTED;
  }
}

// "user", whole and in any letter case, asks for per-user registration.
bool AsksForPerUser(LPCWSTR commandLine) {
  return commandLine && _wcsnicmp(commandLine, L"user", 5) == 0;
}

}  // namespace

STDAPI DllCanUnloadNow() { return NVarnik::ComModule::LockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* result) {
  return NVarnik::ModuleClasses().Get(clsid, iid, result);
}

STDAPI DllRegisterServer() {
  const bool perUser = NVarnik::ComModule::PerUserRegistration();
  return WithModulePlan("DllRegisterServer",
                        [perUser](const CServerRegistration& r) { return r.Register(perUser); });
}

STDAPI DllUnregisterServer() {
  const bool perUser = NVarnik::ComModule::PerUserRegistration();
  return WithModulePlan("DllUnregisterServer", [perUser](const CServerRegistration& r) {
    return r.Unregister(perUser, false);
  });
}

// install registers and takes back a failed registration; uninstall stops
// at the first part it cannot remove.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
  if (AsksForPerUser(commandLine)) NVarnik::ComModule::SetPerUserRegistration(true);
  const bool perUser = NVarnik::ComModule::PerUserRegistration();
  if (install) {
    return WithModulePlan("DllInstall",
                          [perUser](const CServerRegistration& r) { return r.Install(perUser); });
  }
  return WithModulePlan("DllInstall", [perUser](const CServerRegistration& r) {
    return r.Unregister(perUser, true);
  });
}
