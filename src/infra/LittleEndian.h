// Little-endian numbers inside byte buffers: the one reader for every binary
// format the loader takes apart (cabinets, PE images, signatures, registry
// DWORDs, UTF-16 text). Use ReadLe16/ReadLe32 on a pointer when the bytes
// are known to be there, and the bounds-checked form on anything read from
// a file or the network.
#pragma once

#include <cstddef>
#include <cstdint>

inline uint16_t ReadLe16(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline uint32_t ReadLe32(const unsigned char* bytes) {
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// False, leaving value alone, unless [offset, offset + width) lies inside
// the size bytes at data.
inline bool ReadLe16(const unsigned char* data, size_t size, uint64_t offset, uint16_t& value) {
  if (offset > size || size - offset < 2) return false;
  value = ReadLe16(data + offset);
  return true;
}

inline bool ReadLe32(const unsigned char* data, size_t size, uint64_t offset, uint32_t& value) {
  if (offset > size || size - offset < 4) return false;
  value = ReadLe32(data + offset);
  return true;
}
