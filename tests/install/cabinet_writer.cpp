#include "cabinet_writer.h"

#include <algorithm>

#include "infra/CabinetDirectory.h"

namespace {

constexpr size_t kBlockSize = 32768;
constexpr uint16_t kFlagPrevious = 0x0001;
constexpr uint16_t kFlagNext = 0x0002;
constexpr uint16_t kSetId = 0x1234;

void PutU16(std::string& out, uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

std::string FileEntry(const CraftedMember& member, uint32_t offset, uint16_t folder) {
  std::string entry;
  PutU32(entry, static_cast<uint32_t>(member.data.size()));
  PutU32(entry, offset);
  PutU16(entry, folder);
  PutU16(entry, member.dosDate);
  PutU16(entry, member.dosTime);
  PutU16(entry, member.attributes);
  return entry + member.name + '\0';
}

// A stored data block of bytes; uncompressed is what the whole block makes
// (0: it goes on in the next cabinet of the set).
std::string DataBlock(const std::string& bytes, size_t uncompressed) {
  std::string block;
  PutU32(block, 0);  // no checksum
  PutU16(block, static_cast<uint32_t>(bytes.size()));
  PutU16(block, static_cast<uint32_t>(uncompressed));
  return block + bytes;
}

// A cabinet of one uncompressed folder. setNames: the previous and next
// cabinet and disk names the flags announce, each ending in its zero.
std::string OneFolderCabinet(uint16_t flags, uint16_t index, const std::string& setNames,
                             const std::string& entries, size_t files, const std::string& blocks,
                             size_t blockCount) {
  const uint32_t headerSize = 36 + static_cast<uint32_t>(setNames.size());
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
  PutU16(cabinet, static_cast<uint32_t>(files));
  PutU16(cabinet, flags);
  PutU16(cabinet, kSetId);
  PutU16(cabinet, index);  // in the set
  cabinet += setNames;
  PutU32(cabinet, dataOffset);
  PutU16(cabinet, static_cast<uint32_t>(blockCount));
  PutU16(cabinet, 0);  // not compressed
  return cabinet + entries + blocks;
}

}  // namespace

std::string BuildStoredCabinet(const std::vector<CraftedMember>& members) {
  std::string content;
  std::string entries;
  for (const CraftedMember& member : members) {
    entries += FileEntry(member, static_cast<uint32_t>(content.size()), 0);
    content += member.data;
  }
  std::string blocks;
  size_t blockCount = 0;
  for (size_t offset = 0; offset < content.size() || blockCount == 0; offset += kBlockSize) {
    const size_t length = std::min(kBlockSize, content.size() - offset);
    blocks += DataBlock(content.substr(offset, length), length);
    ++blockCount;
  }
  return OneFolderCabinet(0, 0, "", entries, members.size(), blocks, blockCount);
}

CraftedSet BuildSpannedCabinetPair(const CraftedMember& member, const std::string& nextName) {
  // One block, split between the two cabinets.
  const size_t split = member.data.size() / 2;
  CraftedSet set;
  set.first = OneFolderCabinet(kFlagNext, 0, nextName + '\0' + "disk 2" + '\0',
                               FileEntry(member, 0, kCabinetFolderContinuedToNext), 1,
                               DataBlock(member.data.substr(0, split), 0), 1);
  set.second = OneFolderCabinet(kFlagPrevious, 1, std::string("part1.cab") + '\0' + "disk 1" + '\0',
                                FileEntry(member, 0, kCabinetFolderContinuedFromPrevious), 1,
                                DataBlock(member.data.substr(split), member.data.size()), 1);
  return set;
}
