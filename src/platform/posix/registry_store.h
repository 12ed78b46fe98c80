// The hive files of the posix registry: current_user.reg and
// local_machine.reg in the registry/ folder of the machine root. Every
// access loads the file under an advisory lock (flock on <hive>.lock beside
// it); a change is written to a temporary file that then replaces the hive,
// so readers never see half a file and two processes never lose each
// other's changes.
#pragma once

#include <functional>
#include <string>

#include "platform/Registry.h"
#include "platform/posix/registry_hive.h"

namespace platform::posix {

// Windows numbers for what only a file-backed store can run into.
constexpr Win32Error kErrorRegistryCorrupt = 1015;
constexpr Win32Error kErrorRegistryIoFailed = 1016;

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* HiveRootName(RegistryRoot root);
// The host path of the hive's file.
std::string HiveFilePath(RegistryRoot root);

// Runs inspect on the hive, loaded under a shared lock. A hive without a
// file yet is a fresh one, seeded as a new machine's would be.
Win32Error ReadHive(RegistryRoot root, const std::function<Win32Error(RegistryHive&)>& inspect);

// Runs change on the hive, loaded under an exclusive lock. When change
// succeeds and sets changed, the hive is written back before the lock is
// released; a failure to write is the result.
Win32Error UpdateHive(RegistryRoot root,
                      const std::function<Win32Error(RegistryHive&, bool& changed)>& change);

}  // namespace platform::posix
