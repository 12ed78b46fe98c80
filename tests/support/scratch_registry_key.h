// A registry key that exists for one test and is deleted, with everything
// beneath it, when the test ends.
#pragma once

#include <string>

#include "platform/Registry.h"

class ScratchRegistryKey {
 public:
  // A new key beneath HKCU\Software\VarnikTests.
  ScratchRegistryKey();
  // Takes over root\path: it is deleted now, if left over, and at the end.
  ScratchRegistryKey(platform::RegistryRoot root, const std::string& path);
  ~ScratchRegistryKey();
  ScratchRegistryKey(const ScratchRegistryKey&) = delete;
  ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;

  platform::RegistryRoot Root() const { return root_; }
  const std::string& Path() const { return path_; }

 private:
  platform::RegistryRoot root_;
  std::string path_;
};
