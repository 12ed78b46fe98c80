#include "deployment/DescriptorLock.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"

namespace {

std::string LockPathOf(const std::string& descriptorPath) { return descriptorPath + ".lock"; }

}  // namespace

DescriptorLock::DescriptorLock(const std::string& descriptorPath, const char* location) {
  const platform::Win32Error error =
      lock_.Acquire(LockPathOf(descriptorPath), platform::FileLockMode::Exclusive, kWaitMs);
  if (error == platform::kErrorSuccess) return;
  SimpleLogger::GetInstance()->Warning(
      location, Format("Cannot lock %s (error %ld); going on without the lock",
                       descriptorPath.c_str(), error));
}

bool LoadDescriptor(const std::string& path, CIniFile& descriptor) {
  // A descriptor that cannot be locked (a folder this user cannot write to,
  // or none yet) is still read.
  platform::FileLock lock;
  lock.Acquire(LockPathOf(path), platform::FileLockMode::Shared, DescriptorLock::kWaitMs);
  return descriptor.Load(path);
}
