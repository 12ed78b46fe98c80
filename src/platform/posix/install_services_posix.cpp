#include <fstream>
#include <iterator>
#include <set>
#include <utility>

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/InstallServices.h"
#include "platform/TextCompare.h"
#include "platform/posix/reg_text.h"
#include "platform/posix/registry_hive.h"
#include "platform/posix/registry_store.h"

namespace platform {
namespace {

using posix::RegTextDocument;
using posix::RegTextSection;

constexpr char kClassesRoot[] = "HKEY_CLASSES_ROOT";

// Sorts the sections by the hive they change, keeping their order.
// HKEY_CLASSES_ROOT is the machine's SOFTWARE\Classes, where Windows puts a
// key that the user's classes do not hold.
void SplitByHive(const RegTextDocument& document, RegTextDocument& currentUser,
                 RegTextDocument& localMachine, std::set<std::string>& leftOut) {
  const std::string userRoot = posix::HiveRootName(RegistryRoot::CurrentUser);
  const std::string machineRoot = posix::HiveRootName(RegistryRoot::LocalMachine);
  for (RegTextSection section : document.sections) {
    const std::string root = section.key.front();
    if (OrdinalEqualsNoCase(root, userRoot)) {
      currentUser.sections.push_back(std::move(section));
    } else if (OrdinalEqualsNoCase(root, machineRoot)) {
      localMachine.sections.push_back(std::move(section));
    } else if (OrdinalEqualsNoCase(root, kClassesRoot)) {
      section.key.erase(section.key.begin());
      section.key.insert(section.key.begin(), {machineRoot, "SOFTWARE", "Classes"});
      localMachine.sections.push_back(std::move(section));
    } else {
      leftOut.insert(root);
    }
  }
}

bool DeletesAHive(const RegTextDocument& document) {
  for (const RegTextSection& section : document.sections) {
    if (section.remove && section.key.size() == 1) return true;
    // [-HKEY_CLASSES_ROOT] became the machine's whole Classes key.
    if (section.remove && section.key.size() == 3 &&
        OrdinalEqualsNoCase(section.key[1], "SOFTWARE") &&
        OrdinalEqualsNoCase(section.key[2], "Classes"))
      return true;
  }
  return false;
}

Win32Error MergeInto(RegistryRoot root, const RegTextDocument& document) {
  if (document.sections.empty()) return kErrorSuccess;
  return posix::UpdateHive(root, [&](posix::RegistryHive& hive, bool& changed) {
    changed = hive.Merge(document);
    return changed ? kErrorSuccess : kErrorInvalidData;
  });
}

}  // namespace

bool WindowsInstallersAvailable() { return false; }

ServerRegistration CallDllRegisterServer(const std::string&, HResult&) {
  return ServerRegistration::NotSupported;
}

TypeLibraryRegistration RegisterTypeLibrary(const std::string&) {
  return TypeLibraryRegistration::NotSupported;
}

RegistryFileMerge MergeRegistryFile(const std::string& path, std::string& detail) {
  detail.clear();
  std::ifstream in(ToNativePath(path), std::ios::binary);
  if (!in) {
    detail = "the file cannot be opened";
    return RegistryFileMerge::Failed;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    detail = "the file cannot be read";
    return RegistryFileMerge::Failed;
  }
  RegTextDocument document;
  posix::RegTextError error;
  if (!posix::ParseRegText(bytes, document, error)) {
    detail = Format("line %zu: %s", error.line, error.message.c_str());
    return RegistryFileMerge::Refused;
  }
  RegTextDocument currentUser;
  RegTextDocument localMachine;
  std::set<std::string> leftOut;
  SplitByHive(document, currentUser, localMachine, leftOut);
  if (DeletesAHive(currentUser) || DeletesAHive(localMachine)) {
    detail = "the file deletes a whole hive";
    return RegistryFileMerge::Refused;
  }
  for (const auto& [root, part] : {std::pair{RegistryRoot::CurrentUser, &currentUser},
                                   std::pair{RegistryRoot::LocalMachine, &localMachine}}) {
    if (const Win32Error failed = MergeInto(root, *part)) {
      detail = Format("%s cannot be written (error %ld)", posix::HiveRootName(root), failed);
      return RegistryFileMerge::Failed;
    }
  }
  for (const std::string& root : leftOut) {
    detail += detail.empty() ? "keys under roots this machine does not keep: " : ", ";
    detail += root;
  }
  return RegistryFileMerge::Merged;
}

}  // namespace platform
