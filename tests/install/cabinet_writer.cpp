#include "cabinet_writer.h"

#include <algorithm>

namespace {

constexpr size_t kBlockSize = 32768;

void PutU16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

}  // namespace

std::string BuildStoredCabinet(const std::vector<CraftedMember>& members) {
  std::string content;
  std::string entries;
  for (const CraftedMember& member : members) {
    PutU32(entries, static_cast<uint32_t>(member.data.size()));
    PutU32(entries, static_cast<uint32_t>(content.size()));
    PutU16(entries, 0);  // folder 0
    PutU16(entries, member.dosDate);
    PutU16(entries, member.dosTime);
    PutU16(entries, member.attributes);
    entries += member.name;
    entries += '\0';
    content += member.data;
  }
  std::string blocks;
  size_t blockCount = 0;
  for (size_t offset = 0; offset < content.size() || blockCount == 0; offset += kBlockSize) {
    const size_t length = std::min(kBlockSize, content.size() - offset);
    PutU32(blocks, 0);  // no checksum
    PutU16(blocks, static_cast<uint32_t>(length));
    PutU16(blocks, static_cast<uint32_t>(length));
    blocks.append(content, offset, length);
    ++blockCount;
  }

  const uint32_t headerSize = 36;
  const uint32_t folderSize = 8;
  const uint32_t filesOffset = headerSize + folderSize;
  const uint32_t dataOffset = filesOffset + static_cast<uint32_t>(entries.size());
  const uint32_t total = dataOffset + static_cast<uint32_t>(blocks.size());

  std::string cabinet = "MSCF";
  PutU32(cabinet, 0);
  PutU32(cabinet, total);
  PutU32(cabinet, 0);
  PutU32(cabinet, filesOffset);
  PutU32(cabinet, 0);
  cabinet += '\x03';  // version 1.3
  cabinet += '\x01';
  PutU16(cabinet, 1);  // folders
  PutU16(cabinet, static_cast<uint32_t>(members.size()));
  PutU16(cabinet, 0);       // flags
  PutU16(cabinet, 0x1234);  // set id
  PutU16(cabinet, 0);       // index in the set
  PutU32(cabinet, dataOffset);
  PutU16(cabinet, static_cast<uint32_t>(blockCount));
  PutU16(cabinet, 0);  // not compressed
  return cabinet + entries + blocks;
}
