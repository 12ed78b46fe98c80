#include <windows.h>
#include <objbase.h>
#include <rpc.h>
#include <shlobj.h>

#include "platform/SystemFacts.h"

namespace platform {
namespace {

// RtlGetVersion tells the real version; GetVersionExA is capped by the
// application manifest.
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);

bool ReadFolder(UINT(WINAPI* query)(LPSTR, UINT), std::string& folder) {
  char buffer[MAX_PATH] = {};
  const UINT length = query(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  folder.assign(buffer, length);
  return true;
}

UINT WINAPI TempPathQuery(LPSTR buffer, UINT size) { return GetTempPathA(size, buffer); }

}  // namespace

bool ReadOsVersion(OsVersion& version) {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto rtlGetVersion = ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(
                                   GetProcAddress(ntdll, "RtlGetVersion")))
                             : nullptr;
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) return false;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  version.servicePackMajor = info.wServicePackMajor;
  version.servicePackMinor = info.wServicePackMinor;
  version.productType = info.wProductType;
  version.suiteMask = info.wSuiteMask;
  char servicePack[128] = {};
  WideCharToMultiByte(CP_ACP, 0, info.szCSDVersion, -1, servicePack, sizeof(servicePack), nullptr,
                      nullptr);
  version.servicePack = servicePack;
  return true;
}

bool QueryTempFolder(std::string& folder) { return ReadFolder(TempPathQuery, folder); }
bool QueryWindowsFolder(std::string& folder) { return ReadFolder(GetWindowsDirectoryA, folder); }
bool QuerySystemFolder(std::string& folder) { return ReadFolder(GetSystemDirectoryA, folder); }

bool QueryShellFolder(ShellFolder which, std::string& folder) {
  char buffer[MAX_PATH] = {};
  const HRESULT result = SHGetFolderPathA(nullptr, static_cast<int>(which) | CSIDL_FLAG_CREATE,
                                          nullptr, SHGFP_TYPE_CURRENT, buffer);
  if (FAILED(result)) return false;
  folder = buffer;
  return true;
}

bool IsUserAdministrator() { return IsUserAnAdmin() != FALSE; }

Win32Error QueryProcessElevationType(uint32_t& type) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
    return static_cast<Win32Error>(GetLastError());
  TOKEN_ELEVATION_TYPE elevation = TokenElevationTypeDefault;
  DWORD size = 0;
  const BOOL read = GetTokenInformation(token, TokenElevationType, &elevation, sizeof(elevation),
                                        &size);
  const Win32Error error = read ? kErrorSuccess : static_cast<Win32Error>(GetLastError());
  CloseHandle(token);
  if (read) type = static_cast<uint32_t>(elevation);
  return error;
}

bool CreateNewGuid(Guid& guid) {
  GUID value;
  if (FAILED(CoCreateGuid(&value))) return false;
  static_assert(sizeof(value) == sizeof(Guid), "GUID layout");
  memcpy(guid.data(), &value, sizeof(value));
  return true;
}

std::string GuidToText(const Guid& guid) {
  UUID value;
  memcpy(&value, guid.data(), sizeof(value));
  RPC_CSTR text = nullptr;
  if (UuidToStringA(&value, &text) != RPC_S_OK || !text) return {};
  std::string result(reinterpret_cast<const char*>(text));
  RpcStringFreeA(&text);
  return result;
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }
uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

LocalTime CurrentLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.millisecond = now.wMilliseconds;
  return time;
}

}  // namespace platform
