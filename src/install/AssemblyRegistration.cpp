#include "install/AssemblyRegistration.h"

#include <exception>
#include <vector>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/ProcessRunner.h"
#include "platform/FileNames.h"
#include "platform/InstallServices.h"
#include "platform/TextCompare.h"

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

constexpr char kPreferredFramework[] = "v4.0.30319";
constexpr char kRegasm[] = "regasm.exe";
constexpr uint32_t kRegasmTimeoutMs = 100000;
constexpr char kFrameworkDownloadPage[] = "https://dotnet.microsoft.com/download/dotnet-framework";
// HKEY_CLASSES_ROOT is the user's classes over the machine's.
constexpr char kClasses[] = "SOFTWARE\\Classes\\";
constexpr RegistryRoot kClassesRoots[] = {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine};

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

bool SearchFolder(const std::string& installRoot, const std::string& version, std::string& regasm,
                  platform::Win32Error& error) {
  const std::string folder = Format("%s\\%s\\", installRoot.c_str(), version.c_str());
  error = platform::SearchForFile(folder, kRegasm, regasm);
  return error == platform::kErrorSuccess;
}

// The class the ProgId names in the classes root, empty when none.
std::string ClassOfProgId(const std::string& progId) {
  for (const RegistryRoot root : kClassesRoots) {
    RegistryKey key;
    std::string clsid;
    if (RegistryKey::Open(root, kClasses + progId + "\\CLSID", RegistryAccess::Read, key) ==
            platform::kErrorSuccess &&
        key.ReadString("", clsid) == platform::kErrorSuccess)
      return clsid;
  }
  return {};
}

// A stale registration of the class goes before regasm writes a new one.
void RemoveClassRegistration(const std::string& progId) {
  if (progId.empty()) return;
  const std::string clsid = ClassOfProgId(progId);
  // An empty name would take every class of the machine with it.
  if (clsid.empty() || clsid.find('\\') != std::string::npos) return;
  for (const RegistryRoot root : kClassesRoots)
    RegistryKey::DeleteTree(root, std::string(kClasses) + "CLSID\\" + clsid);
}

}  // namespace

bool FindRegasm(std::string& regasm, platform::Win32Error& error,
                const FrameworkKey& frameworkKey) {
  RegistryKey key;
  error = RegistryKey::Open(frameworkKey.root, frameworkKey.path, RegistryAccess::Read, key);
  if (error != platform::kErrorSuccess) {
    error = platform::kErrorFileNotFound;
    return false;
  }
  std::string installRoot;
  key.ReadString("InstallRoot", installRoot);
  std::vector<std::string> names;
  key.EnumerateSubKeys(names);
  if (SearchFolder(installRoot, kPreferredFramework, regasm, error)) return true;
  std::string best = kPreferredFramework;
  for (const std::string& name : names) {
    if (name.empty() || name[0] != 'v') continue;
    if (platform::CompareMultibyteNoCase(name, best) < 0) continue;
    best = name;
    if (SearchFolder(installRoot, name, regasm, error)) return true;
  }
  return false;
}

bool RegisterAssembly(const std::string& path, const std::string& progId, uint32_t& error,
                      const FrameworkKey& key) {
  std::string regasm;
  platform::Win32Error searchError = platform::kErrorSuccess;
  if (!FindRegasm(regasm, searchError, key)) {
    error = static_cast<uint32_t>(searchError);
    return false;
  }
  RemoveClassRegistration(progId);
  const bool ran =
      runExeAndWait(regasm, error, Format("%s \"%s\"", "/codebase /silent", path.c_str()),
                    kRegasmTimeoutMs, true);
  return ran && error == 0;
}

AssemblyFailure DescribeAssemblyFailure(uint32_t error, const std::string& path) {
  switch (error) {
    case 2:
    case 3:
      return {"You do not have the .NET Framework installed on this computer.",
              kFrameworkDownloadPage};
    case 5:
      return {"Cannot register assembly -access denied.", path};
    case 11:
      return {"The .exe file is invalid (non-Microsoft Win32 .exe or error in .exe image).", ""};
    default:
      return {"Cannot register assembly.", path};
  }
}

void RegisterAssemblyAndLogError(const std::string& path, const std::string& progId,
                                 FailureTrace& failures, const FrameworkKey& key) {
  const char* const location = "CLoader::RegisterAssemblyAndLogError";
  try {
    Log().Info(location, "Registering assembly:" + path);
    if (!platform::WindowsInstallersAvailable()) {
      Log().Info(location, ".NET assembly registration needs Windows; " + path +
                               " stays unregistered on this machine");
      return;
    }
    uint32_t error = 0;
    if (!RegisterAssembly(path, progId, error, key)) {
      const AssemblyFailure failure = DescribeAssemblyFailure(error, path);
      failures.TraceError(failure.file, failure.description);
    }
  } catch (const std::exception& exception) {
    Log().Error(location, exception.what());
  } catch (...) {
    Log().Error(location, "Unknown exception");
  }
}
