#include "platform/posix/registry_hive.h"

namespace platform::posix {
namespace {

void ExportKey(const RegistryHiveKey& key, std::vector<std::string>& path,
               RegTextDocument& document) {
  RegTextSection section;
  section.key = path;
  for (const auto& [name, value] : key.ValueList()) {
    RegTextValue entry;
    entry.name = name;
    entry.value = value;
    section.values.push_back(std::move(entry));
  }
  document.sections.push_back(std::move(section));
  for (const auto& [name, subKey] : key.SubKeyMap()) {
    path.push_back(name);
    ExportKey(*subKey, path, document);
    path.pop_back();
  }
}

}  // namespace

RegistryHiveKey* RegistryHiveKey::FindSubKey(const std::string& name) const {
  const auto found = subKeys_.find(name);
  return found == subKeys_.end() ? nullptr : found->second.get();
}

RegistryHiveKey& RegistryHiveKey::CreateSubKey(const std::string& name, bool& created) {
  auto& slot = subKeys_[name];
  created = !slot;
  if (!slot) slot = std::make_unique<RegistryHiveKey>();
  return *slot;
}

bool RegistryHiveKey::DeleteSubKey(const std::string& name) { return subKeys_.erase(name) > 0; }

const RegistryValue* RegistryHiveKey::FindValue(const std::string& name) const {
  for (const auto& [existing, value] : values_) {
    if (OrdinalEqualsNoCase(existing, name)) return &value;
  }
  return nullptr;
}

void RegistryHiveKey::SetValue(const std::string& name, const RegistryValue& value) {
  // Like Windows, a value that is replaced keeps its name and its place.
  for (auto& [existing, stored] : values_) {
    if (OrdinalEqualsNoCase(existing, name)) {
      stored = value;
      return;
    }
  }
  values_.emplace_back(name, value);
}

bool RegistryHiveKey::DeleteValue(const std::string& name) {
  for (auto it = values_.begin(); it != values_.end(); ++it) {
    if (OrdinalEqualsNoCase(it->first, name)) {
      values_.erase(it);
      return true;
    }
  }
  return false;
}

RegistryHive::RegistryHive(std::string rootName) : rootName_(std::move(rootName)) {}

RegistryHiveKey* RegistryHive::Find(const std::vector<std::string>& path) {
  RegistryHiveKey* key = &root_;
  for (const std::string& name : path) {
    key = key->FindSubKey(name);
    if (!key) return nullptr;
  }
  return key;
}

RegistryHiveKey& RegistryHive::Create(const std::vector<std::string>& path, bool& created) {
  created = false;
  RegistryHiveKey* key = &root_;
  for (const std::string& name : path) {
    bool createdHere = false;
    key = &key->CreateSubKey(name, createdHere);
    created = created || createdHere;
  }
  return *key;
}

bool RegistryHive::Delete(const std::vector<std::string>& path) {
  if (path.empty()) return false;
  RegistryHiveKey* parent = Find(std::vector<std::string>(path.begin(), path.end() - 1));
  return parent && parent->DeleteSubKey(path.back());
}

bool RegistryHive::Merge(const RegTextDocument& document) {
  for (const RegTextSection& section : document.sections) {
    if (section.remove && section.key.size() == 1 && OrdinalEqualsNoCase(section.key[0], rootName_))
      return false;
  }
  for (const RegTextSection& section : document.sections) {
    if (section.key.empty() || !OrdinalEqualsNoCase(section.key[0], rootName_)) continue;
    const std::vector<std::string> path(section.key.begin() + 1, section.key.end());
    if (section.remove) {
      Delete(path);
      continue;
    }
    bool created = false;
    RegistryHiveKey& key = Create(path, created);
    for (const RegTextValue& value : section.values) {
      if (value.remove) {
        key.DeleteValue(value.name);
      } else {
        key.SetValue(value.name, value.value);
      }
    }
  }
  return true;
}

RegTextDocument RegistryHive::Export() const {
  RegTextDocument document;
  std::vector<std::string> path{rootName_};
  ExportKey(root_, path, document);
  return document;
}

}  // namespace platform::posix
