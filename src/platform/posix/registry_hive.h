// One hive of the posix registry in memory: a tree of keys under the root
// key (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE), loaded from and saved as
// .reg text. Key and value names compare with ordinal folding
// (platform/TextCompare.h) and keep the case they were created with; subkeys are kept in
// the order Windows enumerates them, values in the order they were added.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"
#include "platform/TextCompare.h"
#include "platform/posix/reg_text.h"

namespace platform::posix {

class RegistryHiveKey {
 public:
  using SubKeys = std::map<std::string, std::unique_ptr<RegistryHiveKey>, OrdinalLessNoCase>;
  using Values = std::vector<std::pair<std::string, RegistryValue>>;

  RegistryHiveKey* FindSubKey(const std::string& name) const;
  // The existing subkey of that name, or a new one; created says which.
  RegistryHiveKey& CreateSubKey(const std::string& name, bool& created);
  bool DeleteSubKey(const std::string& name);
  const SubKeys& SubKeyMap() const { return subKeys_; }

  const RegistryValue* FindValue(const std::string& name) const;
  void SetValue(const std::string& name, const RegistryValue& value);
  bool DeleteValue(const std::string& name);
  const Values& ValueList() const { return values_; }

 private:
  SubKeys subKeys_;
  Values values_;
};

class RegistryHive {
 public:
  // rootName: "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
  explicit RegistryHive(std::string rootName);

  const std::string& RootName() const { return rootName_; }
  RegistryHiveKey& Root() { return root_; }

  // path holds the components below the root; empty is the root itself.
  RegistryHiveKey* Find(const std::vector<std::string>& path);
  RegistryHiveKey& Create(const std::vector<std::string>& path, bool& created);
  // False when there is no such key; the root cannot be deleted.
  bool Delete(const std::vector<std::string>& path);

  // Applies the sections of the document that belong to this hive's root,
  // in order, as regedit imports a file; the others are left out. False,
  // with nothing applied, when a section names the root for deletion.
  bool Merge(const RegTextDocument& document);

  // The whole hive, every key in enumeration order, the root first.
  RegTextDocument Export() const;

 private:
  std::string rootName_;
  RegistryHiveKey root_;
};

}  // namespace platform::posix
