// Times and attributes of files the loader writes (members of cabinets).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// DosDateTimeToFileTime, LocalFileTimeToFileTime and SetFileTime: the file's
// creation and last-write times become the MS-DOS date and time, read as local
// time. False when the date or time is not a valid MS-DOS value or the file
// cannot be changed. posix: there is no creation time to set, and the local
// time is converted with the time-zone rules of that date (mktime), where
// Windows applies the bias in force at the moment of the call.
bool SetFileTimesFromDosDateTime(const std::string& path, uint16_t dosDate, uint16_t dosTime);

// The last-write time in seconds since 1970-01-01 UTC.
bool ReadLastWriteTime(const std::string& path, int64_t& secondsSince1970);

// SetFileAttributesA (0 sets FILE_ATTRIBUTE_NORMAL). posix: read-only maps to
// the write permission bits; hidden, system and archive have no equivalent and
// are returned in notApplied (0 on win32).
bool SetPathAttributes(const std::string& path, uint32_t attributes, uint32_t& notApplied);

}  // namespace platform
