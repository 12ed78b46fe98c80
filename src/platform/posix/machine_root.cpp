#include "platform/posix/machine_root.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

#include "platform/TextCompare.h"
#include "platform/posix/machine_config.h"
#include "platform/posix/windows_path.h"

namespace platform::posix {
namespace {

// The name of an entry of folder that equals name without regard to case,
// or name itself when there is none.
std::string MatchEntryName(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return name;
  std::string found = name;
  while (dirent* entry = readdir(dir)) {
    if (OrdinalEqualsNoCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

bool PathExists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

std::string MachineRoot() {
  if (const char* root = std::getenv("VARNIK_ROOT"); root && *root) return root;
  const char* home = std::getenv("HOME");
  std::string homeFolder;
  if (home && *home) {
    homeFolder = home;
  } else if (passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) {
    homeFolder = entry->pw_dir;
  } else {
    homeFolder = "/tmp";
  }
  return homeFolder + "/.local/share/varnik";
}

std::string UserProfileFolder() {
  return "C:\\Users\\" + LoadMachineConfig().userName;
}

void EnsureMachineLayout() {
  static std::mutex lock;
  static std::set<std::string> prepared;
  const std::string root = MachineRoot();
  const std::string user = LoadMachineConfig().userName;
  // Keyed by user too: machine.ini may name another user later.
  const std::string preparedKey = root + "\n" + user;
  std::lock_guard<std::mutex> guard(lock);
  if (prepared.count(preparedKey)) return;

  const std::string profile = "drive_c/Users/" + user;
  const char* const folders[] = {"drive_c/Windows/system32", "drive_c/ProgramData",
                                 "drive_c/Program Files/Common Files", "registry",
                                 "certificates"};
  std::error_code error;
  for (const char* folder : folders)
    std::filesystem::create_directories(root + "/" + folder, error);
  std::filesystem::create_directories(root + "/" + profile + "/AppData/Local/Temp", error);
  std::filesystem::create_directories(root + "/" + profile + "/AppData/Roaming", error);
  // A root that cannot be prepared is retried by the next call.
  if (!error) prepared.insert(preparedKey);
}

bool MapWindowsPath(const std::string& windowsPath, std::string& hostPath) {
  hostPath.clear();
  WindowsPath parsed;
  if (!ParseWindowsPath(windowsPath, parsed)) return false;
  if (parsed.kind == WindowsPath::Kind::Host || parsed.kind == WindowsPath::Kind::Relative) {
    hostPath = parsed.text;
    return true;
  }
  std::string host;
  if (parsed.kind == WindowsPath::Kind::Unc) {
    host = MachineRoot() + "/unc";
  } else {
    EnsureMachineLayout();
    host = MachineRoot() + "/drive_" + parsed.drive;
  }
  // Each name is looked up once as it stands; only a name that is not there
  // as written costs a listing of its folder.
  bool parentExists = PathExists(host);
  for (const std::string& name : parsed.names) {
    if (!parentExists) {
      host += "/" + name;
      continue;
    }
    if (PathExists(host + "/" + name)) {
      host += "/" + name;
      continue;
    }
    const std::string matched = MatchEntryName(host, name);
    host += "/" + matched;
    parentExists = matched != name && PathExists(host);
  }
  hostPath = host;
  return true;
}

std::string HostPath(const std::string& windowsPath) {
  std::string host;
  MapWindowsPath(windowsPath, host);
  return host;
}

}  // namespace platform::posix
