#include "platform/posix/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/AtomicFileWrite.h"
#include "platform/FileLock.h"
#include "platform/TextCompare.h"
#include "platform/posix/file_errors.h"
#include "platform/posix/machine_root.h"
#include "platform/posix/unique_fd.h"

namespace platform::posix {
namespace {

// What the file layer answered, in the registry's terms.
Win32Error RegistryError(Win32Error fileError) {
  return fileError == kErrorAccessDenied || fileError == kErrorNotEnoughMemory
             ? fileError
             : kErrorRegistryIoFailed;
}

Win32Error FromErrno(int error) { return RegistryError(FileErrorFromErrno(error)); }

std::string RegistryFolder() { return MachineRoot() + "/registry"; }

std::string HiveFileName(RegistryRoot root) {
  return root == RegistryRoot::CurrentUser ? "current_user.reg" : "local_machine.reg";
}

// Holds the lock on the hive's lock file while it lives.
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
    const Win32Error error =
        lock_.Acquire(RegistryFolder() + "/" + HiveFileName(root) + ".lock",
                      exclusive ? FileLockMode::Exclusive : FileLockMode::Shared, kInfiniteWait);
    if (error) error_ = RegistryError(error);
  }

  Win32Error Error() const { return error_; }

 private:
  FileLock lock_;
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

Win32Error SaveHive(RegistryRoot root, const RegistryHive& hive) {
  // Readers under the shared lock see the old hive or the new one.
  const Win32Error error = WriteFileAtomically(HiveFilePath(root), FormatRegText(hive.Export()));
  return error ? RegistryError(error) : kErrorSuccess;
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
