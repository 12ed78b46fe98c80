// The lock of a deployment descriptor ("Deployments.ini", common or
// isolated): one loader's read, change and rewrite of the file never
// interleaves with another's, so no record is lost, and a reader never meets
// a writer replacing the file. The lock file is the descriptor's path with
// ".lock" appended.
#pragma once

#include <cstdint>
#include <string>

#include "deployment/CIniFile.h"
#include "platform/FileLock.h"

// Held for a change, from reading the descriptor to writing it back.
class DescriptorLock {
 public:
  // How long a peer may hold the lock before this loader goes on without it.
  static constexpr uint32_t kWaitMs = 10000;

  // A lock that cannot be had is logged as a warning under location, and
  // the change goes on without it.
  DescriptorLock(const std::string& descriptorPath, const char* location);

  bool IsHeld() const { return lock_.IsHeld(); }

 private:
  platform::FileLock lock_;
};

// descriptor.Load(path) under a shared lock (or, when none can be had,
// without one).
bool LoadDescriptor(const std::string& path, CIniFile& descriptor);
