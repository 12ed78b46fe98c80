#include "platform/posix/pe_version_resource.h"

#include <algorithm>
#include <vector>

#include "infra/LittleEndian.h"
#include "platform/posix/byte_source.h"

namespace platform::posix {
namespace {

constexpr uint16_t kDosSignature = 0x5A4D;  // "MZ"
constexpr uint64_t kDosHeaderSize = 64;
constexpr uint64_t kNewHeaderOffsetField = 0x3C;  // e_lfanew
constexpr uint32_t kPeSignature = 0x00004550;      // "PE\0\0"
constexpr uint64_t kCoffHeaderSize = 20;
constexpr uint64_t kSectionCountField = 2;
constexpr uint64_t kOptionalHeaderSizeField = 16;

constexpr uint16_t kMagicPe32 = 0x10B;
constexpr uint16_t kMagicPe32Plus = 0x20B;
// NumberOfRvaAndSizes and the data directories that follow it.
constexpr uint64_t kDirectoryCountFieldPe32 = 92;
constexpr uint64_t kDirectoryCountFieldPe32Plus = 108;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint64_t kDataDirectorySize = 8;

constexpr uint64_t kSectionHeaderSize = 40;

constexpr uint64_t kResourceDirectoryHeaderSize = 16;
constexpr uint64_t kResourceEntrySize = 8;
constexpr uint64_t kResourceDataEntrySize = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kVsVersionInfoName = 1;
constexpr uint32_t kLangNeutral = 0;

constexpr uint64_t kVersionBlockHeaderSize = 6;  // wLength, wValueLength, wType
constexpr char kVersionKey[] = "VS_VERSION_INFO";
constexpr uint64_t kVersionKeyBytes = sizeof(kVersionKey) * 2;  // UTF-16 with its terminator
constexpr uint64_t kFixedFileInfoSize = 52;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;

uint64_t AlignTo32Bits(uint64_t offset) { return (offset + 3) & ~uint64_t{3}; }

using Bytes = std::vector<uint8_t>;

struct Section {
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

class PeImage {
 public:
  explicit PeImage(const ByteSource& reader) : reader_(reader) {}

  // Headers up to the resource data directory and the section table.
  bool ReadHeaders() {
    Bytes dos;
    if (!reader_.Read(0, kDosHeaderSize, dos) || ReadLe16(dos.data()) != kDosSignature)
      return false;
    const uint64_t newHeader = ReadLe32(dos.data() + kNewHeaderOffsetField);

    Bytes coff;
    if (!reader_.Read(newHeader, 4 + kCoffHeaderSize, coff) ||
        ReadLe32(coff.data()) != kPeSignature)
      return false;
    const uint16_t sectionCount = ReadLe16(coff.data() + 4 + kSectionCountField);
    const uint16_t optionalSize = ReadLe16(coff.data() + 4 + kOptionalHeaderSizeField);

    // The resource directory has to be both announced and inside the
    // optional header the COFF header declares.
    const uint64_t optional = newHeader + 4 + kCoffHeaderSize;
    Bytes header;
    uint16_t magic = 0;
    if (!reader_.Read(optional, optionalSize, header) ||
        !ReadLe16(header.data(), header.size(), 0, magic))
      return false;
    uint64_t countField = 0;
    if (magic == kMagicPe32) {
      countField = kDirectoryCountFieldPe32;
    } else if (magic == kMagicPe32Plus) {
      countField = kDirectoryCountFieldPe32Plus;
    } else {
      return false;
    }
    const uint64_t resourceEntry = countField + 4 + kResourceDirectoryIndex * kDataDirectorySize;
    uint32_t directoryCount = 0;
    uint32_t resourceSize = 0;
    if (!ReadLe32(header.data(), header.size(), countField, directoryCount) ||
        directoryCount <= kResourceDirectoryIndex ||
        !ReadLe32(header.data(), header.size(), resourceEntry, resourceRva_) ||
        !ReadLe32(header.data(), header.size(), resourceEntry + 4, resourceSize))
      return false;
    if (resourceRva_ == 0 || resourceSize == 0) return false;

    Bytes table;
    if (!reader_.Read(optional + optionalSize, sectionCount * kSectionHeaderSize, table))
      return false;
    sections_.resize(sectionCount);
    for (size_t i = 0; i < sectionCount; ++i) {
      const uint8_t* entry = table.data() + i * kSectionHeaderSize;
      sections_[i] = {ReadLe32(entry + 12), ReadLe32(entry + 8), ReadLe32(entry + 16),
                      ReadLe32(entry + 20)};
    }
    return true;
  }

  // The file offset of rva and how many bytes from there on one section
  // holds in the file (not zero-filled in memory only). The first section
  // that holds at least minimum bytes there counts.
  bool Extent(uint64_t rva, uint64_t minimum, uint64_t& offset, uint64_t& available) const {
    for (const Section& section : sections_) {
      const uint64_t inMemory = section.virtualSize ? section.virtualSize : section.rawSize;
      const uint64_t present = inMemory < section.rawSize ? inMemory : section.rawSize;
      if (rva < section.virtualAddress) continue;
      const uint64_t into = rva - section.virtualAddress;
      if (into >= present || minimum > present - into) continue;
      offset = uint64_t{section.rawOffset} + into;
      if (!reader_.Contains(offset, minimum)) return false;
      available = std::min(present - into, reader_.Size() - offset);
      return true;
    }
    return false;
  }

  // [rva, rva + length), when one section holds all of it in the file.
  bool ReadRva(uint64_t rva, uint64_t length, Bytes& bytes) const {
    uint64_t offset = 0;
    uint64_t available = 0;
    return Extent(rva, length, offset, available) && reader_.Read(offset, length, bytes);
  }

  // The longest run of whole units of unitSize bytes, at most count, that
  // starts at rva inside one section.
  bool ReadRvaUnits(uint64_t rva, uint64_t unitSize, uint64_t count, Bytes& bytes) const {
    uint64_t offset = 0;
    uint64_t available = 0;
    if (!Extent(rva, 0, offset, available)) {
      bytes.clear();
      return true;
    }
    return reader_.Read(offset, std::min(count, available / unitSize) * unitSize, bytes);
  }

  uint32_t ResourceRva() const { return resourceRva_; }

 private:
  const ByteSource& reader_;
  uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

// One directory of the resource tree, its entries read in one piece. An
// entry has a Name (an id, or a string offset with the high bit set, which no
// id compares equal to) and an OffsetToData (a subdirectory with the high bit
// set, else a data entry), both offsets from the start of the tree.
class ResourceDirectory {
 public:
  bool Read(const PeImage& image, uint64_t rva) {
    Bytes header;
    if (!image.ReadRva(rva, kResourceDirectoryHeaderSize, header)) return false;
    count_ = uint32_t{ReadLe16(header.data() + 12)} + ReadLe16(header.data() + 14);
    // Entries past the section's bytes in the file cannot be read; they only
    // matter when the walk has to look at them.
    return image.ReadRvaUnits(rva + kResourceDirectoryHeaderSize, kResourceEntrySize, count_,
                              entries_);
  }

  uint32_t Count() const { return count_; }
  uint32_t Readable() const { return static_cast<uint32_t>(entries_.size() / kResourceEntrySize); }
  uint32_t Name(uint32_t index) const { return ReadLe32(&entries_[index * kResourceEntrySize]); }
  uint32_t Target(uint32_t index) const {
    return ReadLe32(&entries_[index * kResourceEntrySize + 4]);
  }

 private:
  uint32_t count_ = 0;
  Bytes entries_;
};

// The tree has exactly three levels (type, name, language), and the walk
// descends exactly that many times, so a subdirectory that points back up
// the tree cannot make it loop: it just fails to end in a data entry.
class ResourceTree {
 public:
  explicit ResourceTree(const PeImage& image) : image_(image) {}

  // The subdirectory of the entry with this numeric id.
  bool FindSubdirectory(uint32_t directory, uint32_t id, uint32_t& subdirectory) const {
    ResourceDirectory entries;
    if (!entries.Read(image_, Rva(directory))) return false;
    for (uint32_t i = 0; i < entries.Readable(); ++i) {
      if (entries.Name(i) != id) continue;
      if (!(entries.Target(i) & kSubdirectoryFlag)) return false;
      subdirectory = entries.Target(i) & ~kSubdirectoryFlag;
      return true;
    }
    return false;
  }

  // The language-neutral entry, else the first one.
  bool ChooseLanguage(uint32_t directory, uint32_t& dataEntry) const {
    ResourceDirectory entries;
    if (!entries.Read(image_, Rva(directory)) || entries.Count() == 0 || entries.Readable() == 0)
      return false;
    uint32_t chosen = 0;
    for (uint32_t i = 0; i < entries.Readable(); ++i) {
      if (entries.Name(i) == kLangNeutral) {
        chosen = i;
        break;
      }
      // Without a neutral entry every entry has to be seen.
      if (i + 1 == entries.Readable() && entries.Readable() < entries.Count()) return false;
    }
    if (entries.Target(chosen) & kSubdirectoryFlag) return false;
    dataEntry = entries.Target(chosen);
    return true;
  }

  // IMAGE_RESOURCE_DATA_ENTRY: the resource's own RVA and size.
  bool Data(uint32_t dataEntry, uint32_t& rva, uint32_t& size) const {
    Bytes entry;
    if (!image_.ReadRva(Rva(dataEntry), kResourceDataEntrySize, entry)) return false;
    rva = ReadLe32(entry.data());
    size = ReadLe32(entry.data() + 4);
    return true;
  }

 private:
  uint64_t Rva(uint32_t offset) const { return uint64_t{image_.ResourceRva()} + offset; }

  const PeImage& image_;
};

// VS_VERSIONINFO of size bytes: its header, the UTF-16 key, and the
// VS_FIXEDFILEINFO value after the key's 32-bit padding.
bool ParseVersionBlock(const Bytes& block, uint64_t size, FileVersion& version) {
  const uint64_t valueOffset = AlignTo32Bits(kVersionBlockHeaderSize + kVersionKeyBytes);
  if (block.size() < valueOffset + kFixedFileInfoSize) return false;
  const uint16_t length = ReadLe16(block.data());
  const uint16_t valueLength = ReadLe16(block.data() + 2);
  const uint16_t type = ReadLe16(block.data() + 4);
  if (length > size || length < valueOffset + kFixedFileInfoSize ||
      valueLength < kFixedFileInfoSize || type != 0)
    return false;

  for (uint64_t i = 0; i < sizeof(kVersionKey); ++i) {
    if (ReadLe16(block.data() + kVersionBlockHeaderSize + 2 * i) !=
        static_cast<uint8_t>(kVersionKey[i]))
      return false;
  }

  const uint8_t* value = block.data() + valueOffset;
  if (ReadLe32(value) != kFixedFileInfoSignature) return false;
  version.mostSignificant = ReadLe32(value + 8);
  version.leastSignificant = ReadLe32(value + 12);
  return true;
}

// Where the version resource's data lies in the file; all of it is there.
bool LocateVersionResource(const ByteSource& reader, uint64_t& offset, uint32_t& size) {
  PeImage image(reader);
  if (!image.ReadHeaders()) return false;

  const ResourceTree tree(image);
  uint32_t types = 0;
  uint32_t languages = 0;
  uint32_t dataEntry = 0;
  uint32_t dataRva = 0;
  uint64_t available = 0;
  return tree.FindSubdirectory(0, kRtVersion, types) &&
         tree.FindSubdirectory(types, kVsVersionInfoName, languages) &&
         tree.ChooseLanguage(languages, dataEntry) && tree.Data(dataEntry, dataRva, size) &&
         image.Extent(dataRva, size, offset, available);
}

bool ParseImage(const ByteSource& reader, FileVersion& version) {
  uint64_t offset = 0;
  uint32_t size = 0;
  // Only the start of the block, up to the fixed part, is read.
  const uint64_t needed = AlignTo32Bits(kVersionBlockHeaderSize + kVersionKeyBytes) +
                          kFixedFileInfoSize;
  Bytes block;
  if (!LocateVersionResource(reader, offset, size) ||
      !reader.Read(offset, std::min<uint64_t>(size, needed), block))
    return false;
  FileVersion found;
  if (!ParseVersionBlock(block, size, found)) return false;
  version = found;
  return true;
}

}  // namespace

bool ReadPeVersionBlock(const std::string& hostPath, std::vector<uint8_t>& block) {
  FileBytes file;
  uint64_t offset = 0;
  uint32_t size = 0;
  FileVersion ignored;
  // Only a block whose fixed part reads back sound is handed out, so the
  // texts are never read from a resource the version reader refuses.
  return file.Open(hostPath) == kErrorSuccess && LocateVersionResource(file, offset, size) &&
         file.Read(offset, uint64_t{size}, block) && ParseVersionBlock(block, size, ignored);
}

bool ParsePeFileVersion(const uint8_t* data, size_t size, FileVersion& version) {
  return ParseImage(MemoryBytes(data, size), version);
}

bool ReadPeFileVersion(const std::string& hostPath, FileVersion& version) {
  FileBytes file;
  // A file that cannot be opened, or is no regular file, has no version.
  return file.Open(hostPath) == kErrorSuccess && ParseImage(file, version);
}

}  // namespace platform::posix
