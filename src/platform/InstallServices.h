// The system's own ways of installing components: COM self-registration of
// libraries, type-library registration, and the Windows programs that
// install INF files, Windows Installer packages, .NET assemblies and
// registry files (rundll32.exe with setupapi, msiexec.exe, regasm.exe,
// reg.exe).
//
// win32: all of them are there. posix: there is no COM and none of those
// programs; callers say so and go on. A registry file is merged into the
// machine root's hives instead of being handed to reg.exe.
#pragma once

#include <string>

#include "platform/Win32Codes.h"

namespace platform {

// True where COM registration and the Windows installation programs exist.
bool WindowsInstallersAvailable();

enum class ServerRegistration {
  NotSupported,  // no COM here
  NotLoaded,     // LoadLibraryExA failed
  NoEntryPoint,  // the library exports no DllRegisterServer
  Called,        // result holds what DllRegisterServer returned
};

// LoadLibraryExA(path, LOAD_WITH_ALTERED_SEARCH_PATH), GetProcAddress for
// "DllRegisterServer", the call, FreeLibrary.
ServerRegistration CallDllRegisterServer(const std::string& path, HResult& result);

enum class TypeLibraryRegistration {
  NotSupported,   // no COM here
  NotLoaded,      // LoadTypeLib failed
  NotRegistered,  // RegisterTypeLib failed
  Registered,
};

// LoadTypeLib on the path (as wide text), RegisterTypeLib(library, path, no
// help folder), Release.
TypeLibraryRegistration RegisterTypeLibrary(const std::string& path);

enum class RegistryFileMerge {
  NotSupported,  // win32: reg.exe imports registry files there
  Merged,        // detail names anything left out
  Refused,       // not a registry file, or it would delete a whole hive
  Failed,        // the file or a hive could not be read or written
};

// posix: reads the file in the format reg.exe imports (a "Windows Registry
// Editor Version 5.00" or "REGEDIT4" header, [KEY], [-KEY], values) and
// merges it into the hives. HKEY_CLASSES_ROOT keys land in
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes, where Windows writes them for a new
// key; sections under roots the machine does not keep are left out and
// named in detail. Nothing is changed when the file is refused.
RegistryFileMerge MergeRegistryFile(const std::string& path, std::string& detail);

}  // namespace platform
