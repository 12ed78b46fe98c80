#include "platform/posix/authenticode_layout.h"

#include <cstring>

namespace platform::posix::authenticode {

bool ReadLe16(const uint8_t* data, size_t size, size_t offset, uint16_t& value) {
  if (offset > size || size - offset < 2) return false;
  value = static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
  return true;
}

bool ReadLe32(const uint8_t* data, size_t size, size_t offset, uint32_t& value) {
  if (offset > size || size - offset < 4) return false;
  value = static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
          (static_cast<uint32_t>(data[offset + 2]) << 16) |
          (static_cast<uint32_t>(data[offset + 3]) << 24);
  return true;
}

void AddRange(std::vector<ByteRange>& ranges, size_t begin, size_t end) {
  if (end > begin) ranges.push_back({begin, end - begin});
}

SignatureLayout LocateSignature(const uint8_t* data, size_t size) {
  if (size >= 2 && std::memcmp(data, "MZ", 2) == 0) return LocatePeSignature(data, size);
  if (size >= 4 && std::memcmp(data, "MSCF", 4) == 0) return LocateCabinetSignature(data, size);
  return {};
}

}  // namespace platform::posix::authenticode
