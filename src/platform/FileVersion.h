// Version resources of executable files. win32: GetFileVersionInfoA and
// VerQueryValueA. posix: the PE file's own resource section is read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The two double words of VS_FIXEDFILEINFO's file version.
struct FileVersion {
  uint32_t mostSignificant = 0;
  uint32_t leastSignificant = 0;
};

// False when the file cannot be read or has no usable version resource.
bool ReadFileVersion(const std::string& path, FileVersion& version);

enum class OwnVersionStatus { Found, NoVersionResource, ModulePathUnavailable };

// The version of the module this code is linked into (varnik.dll, or the
// executable it is part of). On posix it is the version the build carries.
OwnVersionStatus ReadOwnModuleVersion(FileVersion& version);

// One entry of "\VarFileInfo\Translation".
struct VersionTranslation {
  uint16_t language = 0;
  uint16_t codePage = 0;
};

// A file's whole version resource, read once (GetFileVersionInfoSizeA and
// GetFileVersionInfoA) and then queried by sub-block path (VerQueryValueA).
// posix reads the same block from the PE file itself; sub-block names
// compare without regard to case, as VerQueryValueA compares them.
class VersionResource {
 public:
  enum class Status {
    Loaded,
    NoResource,  // the size query answered 0: no file, or no version resource
    ReadFailed,  // the size was known but the resource could not be read
  };
  Status Load(const std::string& path);

  // "\VarFileInfo\Translation": false when the resource has no such value;
  // an empty list when the value holds no entry.
  bool QueryTranslations(std::vector<VersionTranslation>& translations) const;
  // A text value such as "\StringFileInfo\040904B0\FileVersion"; false
  // when there is none.
  bool QueryText(const std::string& subBlock, std::string& text) const;

 private:
  std::vector<uint8_t> block_;
};

// The version DllGetVersion of a system library reports (LoadLibraryA, the
// export called with a DLLVERSIONINFO whose size field is 20, FreeLibrary).
// False when the library, the export or the call fails. posix loads
// nothing: the library's version resource in the system folder answers.
bool ReadLibraryDllVersion(const std::string& library, uint32_t& major, uint32_t& minor);

}  // namespace platform
