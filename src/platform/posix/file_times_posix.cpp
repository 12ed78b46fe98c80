#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/FileSystem.h"
#include "platform/FileTimes.h"

namespace platform {
namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr uint32_t kAttributesWithoutEquivalent =
    kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;

}  // namespace

bool SetFileTimesFromDosDateTime(const std::string& path, uint16_t dosDate, uint16_t dosTime) {
  std::tm local{};
  local.tm_year = (dosDate >> 9) + 1980 - 1900;
  local.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
  local.tm_mday = dosDate & 0x1F;
  local.tm_hour = dosTime >> 11;
  local.tm_min = (dosTime >> 5) & 0x3F;
  local.tm_sec = (dosTime & 0x1F) * 2;
  local.tm_isdst = -1;
  // The values DosDateTimeToFileTime refuses.
  if (local.tm_mon < 0 || local.tm_mon > 11 || local.tm_mday < 1 ||
      local.tm_mday > DaysInMonth(local.tm_year + 1900, local.tm_mon + 1) || local.tm_hour > 23 ||
      local.tm_min > 59 || local.tm_sec > 59)
    return false;
  const std::time_t when = std::mktime(&local);
  if (when == static_cast<std::time_t>(-1)) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;  // the last-access time stays
  times[1].tv_sec = when;
  times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, ToNativePath(path).c_str(), times, 0) == 0;
}

bool ReadLastWriteTime(const std::string& path, int64_t& secondsSince1970) {
  struct stat info;
  if (stat(ToNativePath(path).c_str(), &info) != 0) return false;
  secondsSince1970 = info.st_mtime;
  return true;
}

bool SetPathAttributes(const std::string& path, uint32_t attributes, uint32_t& notApplied) {
  notApplied = attributes & kAttributesWithoutEquivalent;
  const std::string host = ToNativePath(path);
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return false;
  mode_t mode = info.st_mode & 07777;
  if (attributes & kFileAttributeReadOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  return mode == (info.st_mode & 07777) || chmod(host.c_str(), mode) == 0;
}

}  // namespace platform
