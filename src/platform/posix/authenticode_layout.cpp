#include "platform/posix/authenticode_layout.h"

#include <cstring>

namespace platform::posix::authenticode {

void AddRange(std::vector<ByteRange>& ranges, size_t begin, size_t end) {
  if (end > begin) ranges.push_back({begin, end - begin});
}

SignatureLayout LocateSignature(const ByteSource& file) {
  unsigned char magic[4] = {};
  const bool four = file.Read(0, sizeof magic, magic);
  if ((four || file.Read(0, 2, magic)) && std::memcmp(magic, "MZ", 2) == 0)
    return LocatePeSignature(file);
  if (four && std::memcmp(magic, "MSCF", 4) == 0) return LocateCabinetSignature(file);
  return {};
}

SignatureLayout LocateSignature(const uint8_t* data, size_t size) {
  return LocateSignature(MemoryBytes(data, size));
}

}  // namespace platform::posix::authenticode
