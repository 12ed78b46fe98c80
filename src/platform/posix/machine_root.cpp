#include "platform/posix/machine_root.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>
#include <vector>

#include "platform/TextCompare.h"
#include "platform/posix/machine_config.h"

namespace platform::posix {
namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

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

std::vector<std::string> SplitComponents(const std::string& rest) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    std::string part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
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

std::string HostPath(const std::string& windowsPath) {
  std::string path = windowsPath;
  if (StartsWith(path, "\\\\?\\UNC\\")) {
    path = "\\\\" + path.substr(8);
  } else if (StartsWith(path, "\\\\?\\")) {
    path = path.substr(4);
  }
  if (!path.empty() && path[0] == '/') {
    // A host path; a "\" joined onto it by Windows-minded code is a separator.
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
    return path;
  }
  for (char& c : path) {
    if (c == '/') c = '\\';
  }

  std::string base;
  std::string rest;
  if (StartsWith(path, "\\\\")) {
    base = MachineRoot() + "/unc";
    rest = path.substr(2);
  } else if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) &&
             path[1] == ':') {
    EnsureMachineLayout();
    base = MachineRoot() + "/drive_" +
           static_cast<char>(std::tolower(static_cast<unsigned char>(path[0])));
    rest = path.substr(2);
  } else if (!path.empty() && path[0] == '\\') {
    EnsureMachineLayout();
    base = MachineRoot() + "/drive_c";
    rest = path.substr(1);
  } else {
    // Relative: only the separators change.
    std::string relative = path;
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    return relative;
  }

  std::string host = base;
  bool parentExists = PathExists(base);
  for (const std::string& part : SplitComponents(rest)) {
    std::string name = part;
    if (parentExists && !PathExists(host + "/" + name)) name = MatchEntryName(host, name);
    host += "/" + name;
    parentExists = parentExists && PathExists(host);
  }
  return host;
}

}  // namespace platform::posix
