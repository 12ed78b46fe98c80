// Whether the runtimes a setup descriptor may install are present already:
// the .NET Framework (the level a component's "ForceDownload" and "NETSP"
// keys require) and Windows Installer 3.0 or later. Every failure to find
// out counts as "missing", so the driver goes on to install the runtime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "environment/EnvironmentSettings.h"

// The frameworks registered under HKEY_LOCAL_MACHINE's NDP key, in registry
// order: their names (v2.0.50727, v4, ...) and, at the same index, their
// level as decimal text (the "Release" of a "Full" subkey, else "SP").
// True when at least one was found.
bool getDotNetFrameworks(std::vector<std::string>& names, std::vector<std::string>& levels);

// The packed version of msi.dll: major in the high 16 bits, minor in the
// low ones; 0 when it cannot be had.
uint32_t GetMsiVersion();

class RuntimePrerequisites {
 public:
  static constexpr uint32_t kWindowsInstaller30 = 0x30000;

  explicit RuntimePrerequisites(const EnvironmentSettings& settings);

  // Names and levels compare as text without regard to case, not as
  // numbers: a later name satisfies at once, the same name needs a level
  // not below the required one.
  bool CheckNetFrameworkExists(const std::string& requiredVersion,
                               const std::string& requiredLevel);
  bool CheckWIndowsInstallerExists();

 private:
  const EnvironmentSettings& settings_;
};
