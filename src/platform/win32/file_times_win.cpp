#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/win32/file_handle.h"
#include "platform/win32/system_path_win.h"

namespace platform {
namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kFileTimeOf1970 = 116444736000000000LL;

}  // namespace

bool SetFileTimesFromDosDateTime(const std::string& path, uint16_t dosDate, uint16_t dosTime) {
  FILETIME local;
  FILETIME universal;
  if (!DosDateTimeToFileTime(dosDate, dosTime, &local)) return false;
  if (!LocalFileTimeToFileTime(&local, &universal)) return false;
  const win32::FileHandle file(CreateFileW(win32::SystemPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  return SetFileTime(file.Get(), &universal, nullptr, &universal) != FALSE;
}

bool ReadLastWriteTime(const std::string& path, int64_t& secondsSince1970) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(win32::SystemPath(path).c_str(), GetFileExInfoStandard, &data))
    return false;
  const int64_t ticks = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                        data.ftLastWriteTime.dwLowDateTime;
  secondsSince1970 = (ticks - kFileTimeOf1970) / 10000000LL;
  return true;
}

bool SetPathAttributes(const std::string& path, uint32_t attributes, uint32_t& notApplied) {
  notApplied = 0;
  return SetFileAttributesW(win32::SystemPath(path).c_str(),
                            attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != FALSE;
}

}  // namespace platform
