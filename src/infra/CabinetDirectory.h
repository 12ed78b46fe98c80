// The directory at the start of a Microsoft Cabinet: the header, the
// reserved area, the names of the previous and next cabinets of a set, then
// the folder and file entries. The core reads it to tell a sound cabinet
// from stray "MSCF" bytes; the posix port reads it for the folder index of
// each member, of which libmspack keeps no trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Member folder indices that are not folders of this cabinet.
constexpr uint16_t kCabinetFolderContinuedFromPrevious = 0xFFFD;
constexpr uint16_t kCabinetFolderContinuedToNext = 0xFFFE;
constexpr uint16_t kCabinetFolderContinuedBothWays = 0xFFFF;

// Where the directory comes from: sequential reads from the cabinet's first
// byte on.
class CabinetDirectorySource {
 public:
  virtual ~CabinetDirectorySource() = default;
  // Exactly bytes bytes, or false.
  virtual bool Read(void* buffer, size_t bytes) = 0;
  virtual bool Skip(uint64_t bytes) = 0;
  // A zero-terminated, non-empty string of at most 255 characters.
  virtual bool ReadString(std::string& text) = 0;
};

// Reads the whole directory; false unless it is sound: the "MSCF"
// signature, at least one folder and one member, every string terminated in
// time and every member's folder index a folder of this cabinet or one of
// the continuation marks above. memberFolders gets the indices in directory
// order, and memberNames, when given, the members' stored paths.
bool ReadCabinetDirectory(CabinetDirectorySource& source, std::vector<uint16_t>& memberFolders,
                          std::vector<std::string>* memberNames = nullptr);
