#include "deployment/SystemFolders.h"

#include "platform/Registry.h"
#include "platform/SystemFacts.h"

namespace {

constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
// The values are read into buffers of MAX_PATH characters.
constexpr size_t kValueBufferSize = 260;

std::optional<std::string> ReadFolderValue(const platform::RegistryKey& key,
                                           const std::string& name) {
  platform::RegistryValue value;
  if (key.QueryValue(name, value, kValueBufferSize) != platform::kErrorSuccess) return {};
  if (value.type != platform::RegistryValueType::String &&
      value.type != platform::RegistryValueType::ExpandString)
    return {};
  const std::string text(value.data.begin(), value.data.end());
  const size_t zero = text.find('\0');
  // Data that fills the whole buffer has no room left for the terminating
  // zero.
  if (zero == std::string::npos && text.size() >= kValueBufferSize) return {};
  return text.substr(0, zero);
}

}  // namespace

SystemFolders& SystemFolders::Default() {
  static SystemFolders instance;
  return instance;
}

bool SystemFolders::TempFolder(std::string& folder) { return platform::QueryTempFolder(folder); }

bool SystemFolders::WindowsFolder(std::string& folder) {
  return platform::QueryWindowsFolder(folder);
}

bool SystemFolders::SystemFolder(std::string& folder) {
  return platform::QuerySystemFolder(folder);
}

bool SystemFolders::AppDataFolder(bool perUser, std::string& folder) {
  return platform::QueryShellFolder(
      perUser ? platform::ShellFolder::LocalAppData : platform::ShellFolder::CommonAppData, folder);
}

bool SystemFolders::ReadInstallFolders(InstallFolders& folders) {
  platform::RegistryKey key;
  if (platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine, kCurrentVersionKey,
                                  platform::RegistryAccess::Read, key) != platform::kErrorSuccess)
    return false;
  folders.programFiles = ReadFolderValue(key, "ProgramFilesDir");
  folders.commonFiles = ReadFolderValue(key, "CommonFilesDir");
  return true;
}
