#include "platform/posix/cabinet_file_entries.h"

#include <cstring>

namespace platform::posix {
namespace {

uint16_t ReadU16(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

bool SkipString(FILE* file) {
  for (int length = 0; length < 256; ++length) {
    const int c = std::fgetc(file);
    if (c == EOF) return false;
    if (c == 0) return length > 0;
  }
  return false;
}

}  // namespace

bool ReadMemberFolderIndices(FILE* file, int64_t offset, std::vector<uint16_t>& indices) {
  indices.clear();
  unsigned char header[36];
  if (fseeko(file, offset, SEEK_SET) != 0 || std::fread(header, 1, 36, file) != 36) return false;
  if (std::memcmp(header, "MSCF", 4) != 0) return false;
  const uint16_t folders = ReadU16(header + 26);
  const uint16_t files = ReadU16(header + 28);
  const uint16_t flags = ReadU16(header + 30);
  long folderReserve = 0;
  if (flags & 0x0004) {
    unsigned char sizes[4];
    if (std::fread(sizes, 1, 4, file) != 4) return false;
    folderReserve = sizes[2];
    if (fseeko(file, ReadU16(sizes), SEEK_CUR) != 0) return false;
  }
  const int setNames = ((flags & 0x0001) ? 2 : 0) + ((flags & 0x0002) ? 2 : 0);
  for (int i = 0; i < setNames; ++i) {
    if (!SkipString(file)) return false;
  }
  if (fseeko(file, static_cast<off_t>(folders) * (8 + folderReserve), SEEK_CUR) != 0) return false;
  for (uint16_t i = 0; i < files; ++i) {
    unsigned char entry[16];
    if (std::fread(entry, 1, 16, file) != 16 || !SkipString(file)) return false;
    indices.push_back(ReadU16(entry + 8));
  }
  return true;
}

}  // namespace platform::posix
