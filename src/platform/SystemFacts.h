// Facts about the machine, the user and the running process. On posix they
// come from the machine root and its machine configuration file.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Win32Codes.h"

namespace platform {

// The fields of OSVERSIONINFOEXA that the loader looks at.
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;   // VER_PLATFORM_WIN32_NT is 2
  uint32_t servicePackMajor = 0;
  uint32_t servicePackMinor = 0;
  uint32_t productType = 0;  // VER_NT_WORKSTATION is 1
  uint32_t suiteMask = 0;    // VER_SUITE_* bits
  std::string servicePack;   // szCSDVersion
};

constexpr uint32_t kPlatformWin32Nt = 2;
constexpr uint32_t kProductWorkstation = 1;
constexpr uint32_t kProductServer = 3;

bool ReadOsVersion(OsVersion& version);

// The folder lookups answer false on failure. GetTempPathA's answer ends in
// "\", the Windows and system folders do not.
bool QueryTempFolder(std::string& folder);
bool QueryWindowsFolder(std::string& folder);
bool QuerySystemFolder(std::string& folder);

// SHGetFolderPathA with CSIDL_FLAG_CREATE for CSIDL_LOCAL_APPDATA (28) and
// CSIDL_COMMON_APPDATA (35).
enum class ShellFolder { LocalAppData = 0x1C, CommonAppData = 0x23 };
bool QueryShellFolder(ShellFolder which, std::string& folder);

bool IsUserAdministrator();

// The elevation type of the process token (TokenElevationType): 1 default,
// 2 full, 3 limited (a filtered administrator token). kErrorSuccess, or the
// error of OpenProcessToken / GetTokenInformation. posix: "elevation_type"
// of machine.ini's [user], 1 when not given.
constexpr uint32_t kTokenElevationTypeLimited = 3;
Win32Error QueryProcessElevationType(uint32_t& type);

using Guid = std::array<uint8_t, 16>;
// In the byte order of a Windows GUID structure (Data1..Data3 little-endian).
bool CreateNewGuid(Guid& guid);
// Lower-case text with hyphens and no braces, as UuidToStringA gives it.
std::string GuidToText(const Guid& guid);

uint32_t CurrentProcessId();
uint32_t CurrentThreadId();

struct LocalTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime CurrentLocalTime();

}  // namespace platform
