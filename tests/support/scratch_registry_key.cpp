#include "scratch_registry_key.h"

#include "infra/SystemInfo.h"

ScratchRegistryKey::ScratchRegistryKey()
    : ScratchRegistryKey(platform::RegistryRoot::CurrentUser,
                         "Software\\VarnikTests\\" + NewGuidString()) {}

ScratchRegistryKey::ScratchRegistryKey(platform::RegistryRoot root, const std::string& path)
    : root_(root), path_(path) {
  platform::RegistryKey::DeleteTree(root_, path_);
}

ScratchRegistryKey::~ScratchRegistryKey() { platform::RegistryKey::DeleteTree(root_, path_); }
