#include "install/ComponentRegistration.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/InstallText.h"
#include "platform/InstallServices.h"
#include "platform/ProcessLauncher.h"
#include "platform/TextCompare.h"

namespace {

constexpr uint32_t kRegServerTimeoutMs = 5000;

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

void CallRegisterServer(const std::string& path, const std::string& name) {
  const char* const location = "CLoader::RegisterLibrary";
  try {
    platform::HResult result = platform::kSOk;
    switch (platform::CallDllRegisterServer(path, result)) {
      case platform::ServerRegistration::Called:
        if (result != platform::kSOk) {
          Log().Info(location, Format("Cannot register ActiveX server %s, hresult = %d",
                                      name.c_str(), static_cast<int>(result)));
        }
        break;
      case platform::ServerRegistration::NotLoaded:
        Log().Info(location, Format("Cannot load library %s", name.c_str()));
        break;
      case platform::ServerRegistration::NoEntryPoint:
        Log().Info(location, Format("%s exports no DllRegisterServer", name.c_str()));
        break;
      case platform::ServerRegistration::NotSupported:
        break;
    }
  } catch (...) {
    // The type library is still worth registering.
  }
}

void RegisterTypeLibraryOf(const std::string& path, const std::string& name,
                           FailureTrace& failures) {
  const char* const location = "CLoader::RegisterLibrary";
  try {
    switch (platform::RegisterTypeLibrary(path)) {
      case platform::TypeLibraryRegistration::Registered:
      case platform::TypeLibraryRegistration::NotSupported:
        return;
      case platform::TypeLibraryRegistration::NotRegistered:
        failures.TraceError(name, "Cannot register type library");
        Log().Info(location, Format("Cannot register type library  %s", name.c_str()));
        return;
      case platform::TypeLibraryRegistration::NotLoaded:
        failures.TraceError(name, "Cannot load type library");
        Log().Info(location, Format("Cannot load type library  %s", name.c_str()));
        return;
    }
  } catch (...) {
    failures.TraceError(name, "Failed to Load or Register type library");
  }
}

}  // namespace

void RegisterLibrary(const std::string& path, const std::string& extension,
                     FailureTrace& failures) {
  const char* const location = "CLoader::RegisterLibrary";
  Log().Info(location, "Registering library:" + path);
  if (!platform::WindowsInstallersAvailable()) {
    Log().Info(location, "COM and type-library registration need Windows; " + path +
                             " stays unregistered on this machine");
    return;
  }
  const std::string name = FileNamePart(path);
  if (platform::CodePageEqualsNoCase(extension, ".dll") ||
      platform::CodePageEqualsNoCase(extension, ".ocx"))
    CallRegisterServer(path, name);
  RegisterTypeLibraryOf(path, name, failures);
}

void RegisterActiveXExe(const std::string& path) {
  const char* const location = "CLoader::RegisterActiveXExe";
  try {
    Log().Info(location, "Registering executable:" + path);
    // Quoted: a path with blanks would otherwise start whatever program its
    // first words name ("C:\Program.exe").
    const std::string commandLine = "\"" + path + "\" -regserver";
    uint32_t exitCode = 0;
    if (platform::RunProcessAndWait(commandLine, "", false, kRegServerTimeoutMs, exitCode) ==
        platform::ProcessRunResult::NotStarted) {
      Log().Warning(location, Format("Cannot start %s", path.c_str()));
    }
  } catch (const std::exception& error) {
    Log().Error(location, error.what());
  } catch (...) {
    Log().Error(location, "Unknown exception");
  }
}
