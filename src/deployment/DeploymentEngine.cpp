#include "deployment/DeploymentEngine.h"

#include <stdexcept>

#include "deployment/DeploymentNames.h"
#include "deployment/DescriptorLock.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"

namespace {

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

// Clears a flag when the scope ends, also by an exception.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

// SHCreateDirectoryExA answers "exists" for a file of that name too.
bool IsFolder(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes) &&
         (attributes & platform::kFileAttributeDirectory);
}

// root + "\" + name, without doubling a separator the root ends with.
std::string ChildPath(const std::string& root, const std::string& name) {
  if (!root.empty() && root.back() == '\\') return root + name;
  return root + "\\" + name;
}

}  // namespace

DeploymentEngine::DeploymentEngine(DeploymentSettings& settings, PathMacros& paths,
                                   FailureTrace& failures, SystemFolders& folders)
    : settings_(settings), paths_(paths), failures_(failures), folders_(folders) {}

void DeploymentEngine::SetServerUrl(const std::string& url) {
  serverUrl_ = deployment::NormalizeServerUrl(url);
}

std::string DeploymentEngine::ServerUrlKey() const { return deployment::ServerUrlKey(serverUrl_); }

std::string DeploymentEngine::ServerKey() const {
  return settings_.UseZelServerVersion() ? settings_.ZelServerVersion() : ServerUrlKey();
}

std::string DeploymentEngine::BaseNameFor(const std::string& serverKey) const {
  return settings_.UseZelServerVersion() ? settings_.ZelServerVersion()
                                         : deployment::MakeFolderBaseName(serverKey);
}

std::string DeploymentEngine::ParsedDestination(bool perUser) {
  std::string path;
  paths_.ParsePath(path, true, perUser);
  return path;
}

bool DeploymentEngine::CreateDirectoryPath(const std::string& path, bool failIfExists,
                                           bool raiseOnFailure) {
  const platform::Win32Error result =
      platform::CreateDirectoryWithParents(deployment::LongPathForm(path));
  if (result == platform::kErrorSuccess) return true;
  if (!failIfExists &&
      (result == platform::kErrorAlreadyExists || result == platform::kErrorFileExists) &&
      IsFolder(path))
    return true;
  if (!raiseOnFailure) return false;
  const std::string message = Format("%s %s", "Failed locating / creating ", path.c_str());
  Log().Error("DeploymentEngine::CreateDirectoryPath",
              Format("%s (error %ld)", message.c_str(), result));
  failures_.TraceError("", message);
  throw std::runtime_error(message);
}

std::string DeploymentEngine::GetDeploymentFolderRoot() {
  std::string root;
  if (settings_.DebugClient()) {
    root = kDebugRoot;
  } else if (!sharedFolder_.empty()) {
    root = sharedFolder_;
  } else {
    root = ParsedDestination(settings_.IsolatedDeployment());
  }
  // A shared folder belongs to the administrator who deployed it.
  if (sharedFolder_.empty()) CreateDirectoryPath(root, false, true);
  rootKnown_ = true;
  Log().Info("DeploymentEngine::GetDeploymentFolderRoot", "Deployment path set to:" + root);
  return root;
}

std::string DeploymentEngine::DescriptorPath() {
  return JoinPath(GetDeploymentFolderRoot(), kDescriptorFileName);
}

std::string DeploymentEngine::IsolatedDescriptorPath() {
  return JoinPath(ParsedDestination(true), kDescriptorFileName);
}

std::string DeploymentEngine::CommonDescriptorPath() {
  return JoinPath(ParsedDestination(false), kDescriptorFileName);
}

std::string DeploymentEngine::CreateUniqueFolder(const std::string& root,
                                                 const std::string& baseName) {
  // An existing folder may belong to another server: never take one over.
  const std::string first = ChildPath(root, baseName);
  if (CreateDirectoryPath(first, true, false)) return first;
  for (int number = 1; number <= 999; ++number) {
    const std::string candidate = first + Format("(%d)", number);
    if (CreateDirectoryPath(candidate, true, false)) return candidate;
  }
  const std::string last = ChildPath(root, NewGuidString());
  CreateDirectoryPath(last, true, true);
  return last;
}

std::string DeploymentEngine::GetDeploymentFolder(const std::string& serverKey) {
  const std::string root = GetDeploymentFolderRoot();
  if (settings_.DebugClient() || !sharedFolder_.empty()) return root;

  const std::string section = settings_.UseZelServerVersion() ? settings_.ZelServerVersion()
                                                              : serverKey;
  const std::string path = JoinPath(root, kDescriptorFileName);
  // Other loaders record their servers in the same file: from reading it to
  // writing it back, and while a new folder is chosen, it is ours alone.
  const DescriptorLock lock(path, "DeploymentEngine::GetDeploymentFolder");
  // Load merges into what is held, so start from an empty table: the file
  // on disk is the record.
  descriptor_ = CIniFile();
  descriptor_.Load(path);

  std::string folder = descriptor_.GetValue(section, "Folder");
  if (!folder.empty()) {
    // A folder deleted since is made again under its recorded name.
    CreateDirectoryPath(folder, false, true);
    if (settings_.SharedMode()) {
      descriptor_.MergeIntoSection(section, {{"SharedDeployment", "Y"}});
      SaveDescriptor(descriptor_, path, "DeploymentEngine::GetDeploymentFolder");
    }
    return folder;
  }

  folder = CreateUniqueFolder(root, BaseNameFor(serverKey));
  CIniFile::KeyTable entry{{"Folder", folder}};
  if (settings_.SharedMode()) entry["SharedDeployment"] = "Y";
  // A section left without a folder is completed rather than kept broken.
  if (!descriptor_.MergeIntoSection(section, entry)) descriptor_.AddSection(section, entry);
  SaveDescriptor(descriptor_, path, "DeploymentEngine::GetDeploymentFolder");
  return folder;
}

std::string DeploymentEngine::GetCurrentDeploymentFolder() {
  if (!deploymentFolder_.empty()) return deploymentFolder_;
  // Working out the folder can fall back to the working folder, which asks
  // for the deployment folder's name: while it is being worked out there is
  // none yet.
  if (computingFolder_) return deploymentFolder_;
  FlagScope computing(computingFolder_);
  DiscoverIfSharedDeployment();
  deploymentFolder_ = GetDeploymentFolder(ServerUrlKey());
  return deploymentFolder_;
}

bool DeploymentEngine::SaveDescriptor(const CIniFile& descriptor, const std::string& path,
                                      const char* location) {
  if (descriptor.Save(path)) return true;
  Log().Error(location, "Failed writing the deployment descriptor " + path);
  return false;
}
