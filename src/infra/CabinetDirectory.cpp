#include "infra/CabinetDirectory.h"

#include <cstring>

#include "infra/LittleEndian.h"

namespace {

constexpr size_t kHeaderSize = 36;
constexpr size_t kReserveSizesSize = 4;
constexpr size_t kFolderEntrySize = 8;
constexpr size_t kFileEntrySize = 16;

constexpr uint16_t kFlagPreviousCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;
constexpr uint16_t kFlagReservePresent = 0x0004;

}  // namespace

bool ReadCabinetDirectory(CabinetDirectorySource& source, std::vector<uint16_t>& memberFolders,
                          std::vector<std::string>* memberNames) {
  memberFolders.clear();
  if (memberNames) memberNames->clear();
  unsigned char header[kHeaderSize];
  if (!source.Read(header, sizeof(header))) return false;
  if (std::memcmp(header, "MSCF", 4) != 0) return false;
  const uint16_t folderCount = ReadLe16(header + 26);
  const uint16_t fileCount = ReadLe16(header + 28);
  const uint16_t flags = ReadLe16(header + 30);
  if (folderCount == 0 || fileCount == 0) return false;

  size_t folderReserve = 0;
  if (flags & kFlagReservePresent) {
    unsigned char sizes[kReserveSizesSize];
    if (!source.Read(sizes, sizeof(sizes))) return false;
    folderReserve = sizes[2];
    if (!source.Skip(ReadLe16(sizes))) return false;
  }
  std::string text;
  const int setNames =
      ((flags & kFlagPreviousCabinet) ? 2 : 0) + ((flags & kFlagNextCabinet) ? 2 : 0);
  for (int i = 0; i < setNames; ++i) {
    if (!source.ReadString(text)) return false;
  }
  for (uint16_t i = 0; i < folderCount; ++i) {
    unsigned char entry[kFolderEntrySize];
    if (!source.Read(entry, sizeof(entry)) || !source.Skip(folderReserve)) return false;
  }
  memberFolders.reserve(fileCount);
  for (uint16_t i = 0; i < fileCount; ++i) {
    unsigned char entry[kFileEntrySize];
    if (!source.Read(entry, sizeof(entry))) return false;
    const uint16_t folderIndex = ReadLe16(entry + 8);
    if (folderIndex < kCabinetFolderContinuedFromPrevious && folderIndex >= folderCount)
      return false;
    if (!source.ReadString(text)) return false;
    memberFolders.push_back(folderIndex);
    if (memberNames) memberNames->push_back(text);
  }
  return true;
}
