#include "platform/posix/authenticode_layout.h"

#include <cstring>

namespace platform::posix::authenticode {

void AddRange(std::vector<ByteRange>& ranges, size_t begin, size_t end) {
  if (end > begin) ranges.push_back({begin, end - begin});
}

SignatureLayout LocateSignature(const uint8_t* data, size_t size) {
  if (size >= 2 && std::memcmp(data, "MZ", 2) == 0) return LocatePeSignature(data, size);
  if (size >= 4 && std::memcmp(data, "MSCF", 4) == 0) return LocateCabinetSignature(data, size);
  return {};
}

}  // namespace platform::posix::authenticode
