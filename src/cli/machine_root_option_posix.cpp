#include <filesystem>
#include <system_error>

#include "cli/MachineRootOption.h"
#include "platform/Environment.h"

bool UseMachineRoot(const std::string& folder, std::string& error) {
  std::error_code code;
  const std::filesystem::path root = std::filesystem::absolute(folder, code);
  if (folder.empty() || code) {
    error = "--root: \"" + folder + "\" is no folder name";
    return false;
  }
  if (std::filesystem::exists(root, code) && !std::filesystem::is_directory(root, code)) {
    error = "--root: \"" + folder + "\" is not a folder";
    return false;
  }
  // The port reads the root from the environment on every call.
  if (!platform::WriteEnvironmentVariable("VARNIK_ROOT", root.lexically_normal().string())) {
    error = "--root: the machine root cannot be set";
    return false;
  }
  return true;
}
