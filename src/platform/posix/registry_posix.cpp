#include <utility>

#include "platform/Registry.h"
#include "platform/posix/registry_store.h"

namespace platform {

// A key is its root and path; every call goes back to the hive file, so a
// key deleted meanwhile (by this or another process) is noticed.
class RegistryKey::Impl {
 public:
  RegistryRoot root = RegistryRoot::CurrentUser;
  std::vector<std::string> path;
  bool writable = false;
};

namespace {

using posix::RegistryHive;
using posix::RegistryHiveKey;

// The name as the Reg* functions see it through c_str().
std::string AsCString(const std::string& text) { return std::string(text.c_str()); }

// A .reg file has no way to write a name that breaks its line.
bool StorableName(const std::string& name) {
  return name.find_first_of("\r\n") == std::string::npos;
}

// RegOpenKeyExA's reading of a subkey path: a leading "\" is refused, empty
// components between separators are skipped.
Win32Error SplitKeyPath(const std::string& path, std::vector<std::string>& components) {
  components.clear();
  const std::string text = AsCString(path);
  if (!text.empty() && text[0] == '\\') return kErrorBadPathname;
  if (!StorableName(text)) return kErrorInvalidParameter;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) components.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return kErrorSuccess;
}

}  // namespace

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

Win32Error RegistryKey::Open(RegistryRoot root, const std::string& path, RegistryAccess access,
                             RegistryKey& key) {
  key.Close();
  auto impl = std::make_unique<Impl>();
  impl->root = root;
  impl->writable = access == RegistryAccess::ReadWrite;
  if (Win32Error error = SplitKeyPath(path, impl->path)) return error;
  const Win32Error error = posix::ReadHive(root, [&](RegistryHive& hive) {
    return hive.Find(impl->path) ? kErrorSuccess : kErrorFileNotFound;
  });
  if (error) return error;
  key.impl_ = std::move(impl);
  return kErrorSuccess;
}

Win32Error RegistryKey::Create(RegistryRoot root, const std::string& path, RegistryKey& key) {
  key.Close();
  auto impl = std::make_unique<Impl>();
  impl->root = root;
  impl->writable = true;
  if (Win32Error error = SplitKeyPath(path, impl->path)) return error;
  const Win32Error error = posix::UpdateHive(root, [&](RegistryHive& hive, bool& changed) {
    hive.Create(impl->path, changed);
    return kErrorSuccess;
  });
  if (error) return error;
  key.impl_ = std::move(impl);
  return kErrorSuccess;
}

Win32Error RegistryKey::DeleteTree(RegistryRoot root, const std::string& path) {
  std::vector<std::string> components;
  if (Win32Error error = SplitKeyPath(path, components)) return error;
  // Never the whole hive.
  if (components.empty()) return kErrorInvalidParameter;
  return posix::UpdateHive(root, [&](RegistryHive& hive, bool& changed) {
    changed = hive.Delete(components);
    return changed ? kErrorSuccess : kErrorFileNotFound;
  });
}

bool RegistryKey::IsOpen() const { return impl_ != nullptr; }

void RegistryKey::Close() { impl_.reset(); }

Win32Error RegistryKey::QueryValue(const std::string& name, RegistryValue& value,
                                   size_t maxBytes) const {
  value = RegistryValue();
  if (!impl_) return kErrorInvalidHandle;
  return posix::ReadHive(impl_->root, [&](RegistryHive& hive) {
    const RegistryHiveKey* key = hive.Find(impl_->path);
    if (!key) return kErrorKeyDeleted;
    const RegistryValue* found = key->FindValue(AsCString(name));
    if (!found) return kErrorFileNotFound;
    // RegQueryValueExA reports the type even when the buffer is too small.
    value.type = found->type;
    if (found->data.size() > maxBytes) return kErrorMoreData;
    value.data = found->data;
    return kErrorSuccess;
  });
}

Win32Error RegistryKey::WriteValue(const std::string& name, const RegistryValue& value) {
  if (!impl_) return kErrorInvalidHandle;
  if (!impl_->writable) return kErrorAccessDenied;
  const std::string valueName = AsCString(name);
  if (!StorableName(valueName)) return kErrorInvalidParameter;
  return posix::UpdateHive(impl_->root, [&](RegistryHive& hive, bool& changed) {
    RegistryHiveKey* key = hive.Find(impl_->path);
    if (!key) return kErrorKeyDeleted;
    key->SetValue(valueName, value);
    changed = true;
    return kErrorSuccess;
  });
}

Win32Error RegistryKey::DeleteValue(const std::string& name) {
  if (!impl_) return kErrorInvalidHandle;
  if (!impl_->writable) return kErrorAccessDenied;
  return posix::UpdateHive(impl_->root, [&](RegistryHive& hive, bool& changed) {
    RegistryHiveKey* key = hive.Find(impl_->path);
    if (!key) return kErrorKeyDeleted;
    changed = key->DeleteValue(AsCString(name));
    return changed ? kErrorSuccess : kErrorFileNotFound;
  });
}

Win32Error RegistryKey::EnumerateSubKeys(std::vector<std::string>& names) const {
  names.clear();
  if (!impl_) return kErrorInvalidHandle;
  return posix::ReadHive(impl_->root, [&](RegistryHive& hive) {
    const RegistryHiveKey* key = hive.Find(impl_->path);
    if (!key) return kErrorKeyDeleted;
    for (const auto& entry : key->SubKeyMap()) names.push_back(entry.first);
    return kErrorSuccess;
  });
}

}  // namespace platform
