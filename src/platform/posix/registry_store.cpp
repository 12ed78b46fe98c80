#include "platform/posix/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/errno_mapping.h"
#include "platform/posix/file_descriptor.h"
#include "platform/TextCompare.h"
#include "platform/posix/machine_root.h"

namespace platform::posix {
namespace {

// A hive file that cannot be read or written is a registry I/O failure,
// unless Windows would name the cause.
Win32Error FromErrno(int error) { return Win32ErrorFromErrno(error, kErrorRegistryIoFailed); }

std::string RegistryFolder() { return MachineRoot() + "/registry"; }

std::string HiveFileName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "current_user.reg" : "local_machine.reg";
}

// Holds flock on the hive's lock file while it lives.
class HiveLock {
 public:
  HiveLock(RegistryRoot root, bool exclusive) {
    EnsureMachineLayout();
    // The layout is prepared once per process; the folder may have gone
    // since.
    if (mkdir(RegistryFolder().c_str(), 0777) != 0 && errno != EEXIST) {
      error_ = FromErrno(errno);
      return;
    }
    const std::string path = RegistryFolder() + "/" + HiveFileName(root) + ".lock";
    fd_.Reset(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!fd_.Valid()) {
      error_ = FromErrno(errno);
      return;
    }
    int result;
    do {
      result = flock(fd_.Get(), exclusive ? LOCK_EX : LOCK_SH);
    } while (result != 0 && errno == EINTR);
    if (result != 0) error_ = FromErrno(errno);
  }

  Win32Error Error() const { return error_; }

 private:
  // Closing the descriptor releases the lock.
  UniqueFd fd_;
  Win32Error error_ = kErrorSuccess;
};

// A real machine has these from setup on; the loader reads them to place
// files.
void SeedFreshHive(RegistryRoot root, RegistryHive& hive) {
  bool created = false;
  if (root == RegistryRoot::CurrentUser) {
    hive.Create({"Software"}, created);
    return;
  }
  RegistryHiveKey& currentVersion =
      hive.Create({"SOFTWARE", "Microsoft", "Windows", "CurrentVersion"}, created);
  const auto text = [](const std::string& value) {
    RegistryValue stored;
    stored.type = RegistryValueType::String;
    stored.data.assign(value.begin(), value.end());
    stored.data.push_back(0);
    return stored;
  };
  currentVersion.SetValue("ProgramFilesDir", text("C:\\Program Files"));
  currentVersion.SetValue("CommonFilesDir", text("C:\\Program Files\\Common Files"));
}

Win32Error ReadWholeFile(const std::string& path, std::string& bytes, bool& exists) {
  exists = false;
  bytes.clear();
  UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return errno == ENOENT ? kErrorSuccess : FromErrno(errno);
  exists = true;
  char buffer[65536];
  while (true) {
    const ssize_t count = read(fd.Get(), buffer, sizeof(buffer));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return FromErrno(errno);
    if (count == 0) return kErrorSuccess;
    bytes.append(buffer, static_cast<size_t>(count));
  }
}

Win32Error LoadHive(RegistryRoot root, RegistryHive& hive) {
  std::string bytes;
  bool exists = false;
  if (Win32Error error = ReadWholeFile(HiveFilePath(root), bytes, exists)) return error;
  if (!exists) {
    SeedFreshHive(root, hive);
    return kErrorSuccess;
  }
  RegTextDocument document;
  RegTextError parseError;
  if (!ParseRegText(bytes, document, parseError)) return kErrorRegistryCorrupt;
  // A hive file names its own root only.
  for (const RegTextSection& section : document.sections) {
    if (section.key.empty() || !OrdinalEqualsNoCase(section.key[0], hive.RootName()))
      return kErrorRegistryCorrupt;
  }
  return hive.Merge(document) ? kErrorSuccess : kErrorRegistryCorrupt;
}

Win32Error WriteAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return FromErrno(errno);
    written += static_cast<size_t>(count);
  }
  return kErrorSuccess;
}

Win32Error SaveHive(RegistryRoot root, const RegistryHive& hive) {
  const std::string path = HiveFilePath(root);
  // Only the holder of the exclusive lock writes, so one name serves.
  const std::string temporary = path + ".tmp";
  UniqueFd fd(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd.Valid()) return FromErrno(errno);
  Win32Error error = WriteAll(fd.Get(), FormatRegText(hive.Export()));
  if (!error && fsync(fd.Get()) != 0) error = FromErrno(errno);
  if (!fd.Close() && !error) error = FromErrno(errno);
  if (!error && rename(temporary.c_str(), path.c_str()) != 0) error = FromErrno(errno);
  if (error) unlink(temporary.c_str());
  return error;
}

}  // namespace

const char* HiveRootName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

std::string HiveFilePath(RegistryRoot root) { return RegistryFolder() + "/" + HiveFileName(root); }

Win32Error ReadHive(RegistryRoot root, const std::function<Win32Error(RegistryHive&)>& inspect) {
  HiveLock lock(root, false);
  if (lock.Error()) return lock.Error();
  RegistryHive hive(HiveRootName(root));
  if (Win32Error error = LoadHive(root, hive)) return error;
  return inspect(hive);
}

Win32Error UpdateHive(RegistryRoot root,
                      const std::function<Win32Error(RegistryHive&, bool& changed)>& change) {
  HiveLock lock(root, true);
  if (lock.Error()) return lock.Error();
  RegistryHive hive(HiveRootName(root));
  if (Win32Error error = LoadHive(root, hive)) return error;
  bool changed = false;
  if (Win32Error error = change(hive, changed)) return error;
  return changed ? SaveHive(root, hive) : kErrorSuccess;
}

}  // namespace platform::posix
