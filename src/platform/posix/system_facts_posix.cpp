#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <random>

#include "platform/SystemFacts.h"
#include "platform/posix/machine_config.h"
#include "platform/posix/machine_root.h"

namespace platform {

bool ReadOsVersion(OsVersion& version) {
  const posix::MachineConfig config = posix::LoadMachineConfig();
  version.major = config.osMajor;
  version.minor = config.osMinor;
  version.build = config.osBuild;
  version.platformId = config.osPlatform;
  version.productType = config.productType;
  version.suiteMask = config.suiteMask;
  version.servicePackMajor = config.servicePackMajor;
  version.servicePackMinor = config.servicePackMinor;
  version.servicePack = config.servicePack;
  return true;
}

bool QueryTempFolder(std::string& folder) {
  posix::EnsureMachineLayout();
  folder = posix::UserProfileFolder() + "\\AppData\\Local\\Temp\\";
  return true;
}

bool QueryWindowsFolder(std::string& folder) {
  posix::EnsureMachineLayout();
  folder = "C:\\Windows";
  return true;
}

bool QuerySystemFolder(std::string& folder) {
  posix::EnsureMachineLayout();
  folder = "C:\\Windows\\system32";
  return true;
}

bool QueryShellFolder(ShellFolder which, std::string& folder) {
  posix::EnsureMachineLayout();
  switch (which) {
    case ShellFolder::LocalAppData:
      folder = posix::UserProfileFolder() + "\\AppData\\Local";
      return true;
    case ShellFolder::CommonAppData:
      folder = "C:\\ProgramData";
      return true;
  }
  return false;
}

bool IsUserAdministrator() { return posix::LoadMachineConfig().userIsAdministrator; }

Win32Error QueryProcessElevationType(uint32_t& type) {
  type = posix::LoadMachineConfig().elevationType;
  return kErrorSuccess;
}

bool CreateNewGuid(Guid& guid) {
  std::random_device source;
  for (size_t i = 0; i < guid.size(); i += 4) {
    const uint32_t word = source();
    for (size_t j = 0; j < 4; ++j) guid[i + j] = static_cast<uint8_t>(word >> (8 * j));
  }
  // A random (version 4, RFC 4122 variant) GUID, as CoCreateGuid makes them.
  // Data3 is little-endian, so its high nibble is in byte 7.
  guid[7] = static_cast<uint8_t>((guid[7] & 0x0F) | 0x40);
  guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);
  return true;
}

std::string GuidToText(const Guid& guid) {
  // Data1 to Data3 are little-endian numbers; the last eight bytes print as
  // they are stored.
  char text[37];
  std::snprintf(text, sizeof(text),
                "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", guid[3],
                guid[2], guid[1], guid[0], guid[5], guid[4], guid[7], guid[6], guid[8], guid[9],
                guid[10], guid[11], guid[12], guid[13], guid[14], guid[15]);
  return text;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }

LocalTime CurrentLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm parts{};
  localtime_r(&now.tv_sec, &parts);
  LocalTime time;
  time.year = parts.tm_year + 1900;
  time.month = parts.tm_mon + 1;
  time.day = parts.tm_mday;
  time.hour = parts.tm_hour;
  time.minute = parts.tm_min;
  time.second = parts.tm_sec;
  time.millisecond = static_cast<int>(now.tv_nsec / 1000000);
  return time;
}

}  // namespace platform
