#include "platform/posix/pe_version_resource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

// Bounds-checked little-endian reads: every byte the parser looks at comes
// through ReadAt, which refuses ranges that are not wholly inside the image.
class ImageReader {
 public:
  virtual ~ImageReader() = default;
  virtual uint64_t Size() const = 0;
  virtual bool ReadAt(uint64_t offset, void* out, size_t length) const = 0;

  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= Size() && length <= Size() - offset;
  }

  bool U16(uint64_t offset, uint16_t& value) const {
    uint8_t bytes[2];
    if (!ReadAt(offset, bytes, sizeof bytes)) return false;
    value = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
  }

  bool U32(uint64_t offset, uint32_t& value) const {
    uint8_t bytes[4];
    if (!ReadAt(offset, bytes, sizeof bytes)) return false;
    value = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
            (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
  }
};

class MemoryReader : public ImageReader {
 public:
  MemoryReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

  uint64_t Size() const override { return size_; }

  bool ReadAt(uint64_t offset, void* out, size_t length) const override {
    if (!Contains(offset, length)) return false;
    std::memcpy(out, data_ + offset, length);
    return true;
  }

 private:
  const uint8_t* data_;
  uint64_t size_;
};

class FileReader : public ImageReader {
 public:
  explicit FileReader(const std::string& path) {
    descriptor_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (descriptor_ >= 0 && fstat(descriptor_, &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<uint64_t>(info.st_size);
    }
  }
  ~FileReader() override {
    if (descriptor_ >= 0) close(descriptor_);
  }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  uint64_t Size() const override { return size_; }

  bool ReadAt(uint64_t offset, void* out, size_t length) const override {
    if (descriptor_ < 0 || !Contains(offset, length)) return false;
    auto* cursor = static_cast<uint8_t*>(out);
    while (length > 0) {
      const ssize_t got = pread(descriptor_, cursor, length, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;  // the file shrank under us, or a read error
      cursor += got;
      offset += static_cast<uint64_t>(got);
      length -= static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int descriptor_ = -1;
  uint64_t size_ = 0;  // stays 0 for anything but a regular file
};

struct Section {
  uint32_t virtualAddress = 0;
  uint32_t virtualSize = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

class PeImage {
 public:
  explicit PeImage(const ImageReader& reader) : reader_(reader) {}

  // Headers up to the resource data directory and the section table.
  bool ReadHeaders() {
    uint16_t dosSignature = 0;
    uint32_t newHeader = 0;
    if (!reader_.Contains(0, kDosHeaderSize) || !reader_.U16(0, dosSignature) ||
        dosSignature != kDosSignature || !reader_.U32(kNewHeaderOffsetField, newHeader))
      return false;

    const uint64_t coff = uint64_t{newHeader} + 4;
    uint32_t peSignature = 0;
    uint16_t sectionCount = 0;
    uint16_t optionalSize = 0;
    if (!reader_.U32(newHeader, peSignature) || peSignature != kPeSignature ||
        !reader_.U16(coff + kSectionCountField, sectionCount) ||
        !reader_.U16(coff + kOptionalHeaderSizeField, optionalSize))
      return false;

    const uint64_t optional = coff + kCoffHeaderSize;
    uint16_t magic = 0;
    if (!reader_.U16(optional, magic)) return false;
    uint64_t countField = 0;
    if (magic == kMagicPe32) {
      countField = kDirectoryCountFieldPe32;
    } else if (magic == kMagicPe32Plus) {
      countField = kDirectoryCountFieldPe32Plus;
    } else {
      return false;
    }
    // The resource directory has to be both announced and inside the
    // optional header the COFF header declares.
    const uint64_t directories = countField + 4;
    const uint64_t resourceEntry = directories + kResourceDirectoryIndex * kDataDirectorySize;
    uint32_t directoryCount = 0;
    uint32_t resourceSize = 0;
    if (!reader_.U32(optional + countField, directoryCount) ||
        directoryCount <= kResourceDirectoryIndex ||
        resourceEntry + kDataDirectorySize > optionalSize ||
        !reader_.U32(optional + resourceEntry, resourceRva_) ||
        !reader_.U32(optional + resourceEntry + 4, resourceSize))
      return false;
    if (resourceRva_ == 0 || resourceSize == 0) return false;

    const uint64_t table = optional + optionalSize;
    if (!reader_.Contains(table, sectionCount * kSectionHeaderSize)) return false;
    sections_.resize(sectionCount);
    for (uint64_t i = 0; i < sectionCount; ++i) {
      const uint64_t header = table + i * kSectionHeaderSize;
      Section& section = sections_[i];
      if (!reader_.U32(header + 8, section.virtualSize) ||
          !reader_.U32(header + 12, section.virtualAddress) ||
          !reader_.U32(header + 16, section.rawSize) ||
          !reader_.U32(header + 20, section.rawOffset))
        return false;
    }
    return true;
  }

  // The file offset of [rva, rva + length) when one section holds all of it
  // in bytes that are present in the file (not zero-filled in memory only).
  bool MapRva(uint64_t rva, uint64_t length, uint64_t& offset) const {
    for (const Section& section : sections_) {
      const uint64_t inMemory = section.virtualSize ? section.virtualSize : section.rawSize;
      const uint64_t present = inMemory < section.rawSize ? inMemory : section.rawSize;
      if (rva < section.virtualAddress) continue;
      const uint64_t into = rva - section.virtualAddress;
      if (into >= present || length > present - into) continue;
      offset = uint64_t{section.rawOffset} + into;
      return reader_.Contains(offset, length);
    }
    return false;
  }

  bool U16AtRva(uint64_t rva, uint16_t& value) const {
    uint64_t offset = 0;
    return MapRva(rva, 2, offset) && reader_.U16(offset, value);
  }
  bool U32AtRva(uint64_t rva, uint32_t& value) const {
    uint64_t offset = 0;
    return MapRva(rva, 4, offset) && reader_.U32(offset, value);
  }

  const ImageReader& Reader() const { return reader_; }
  uint32_t ResourceRva() const { return resourceRva_; }

 private:
  const ImageReader& reader_;
  uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

// One entry of a resource directory: Name (an id, or a string offset with
// the high bit set, which no id compares equal to) and OffsetToData (a
// subdirectory with the high bit set, else a data entry), both offsets from
// the start of the resource tree.
struct ResourceEntry {
  uint32_t name = 0;
  uint32_t target = 0;
};

// The tree has exactly three levels (type, name, language), and the walk
// descends exactly that many times, so a subdirectory that points back up
// the tree cannot make it loop: it just fails to end in a data entry.
class ResourceTree {
 public:
  explicit ResourceTree(const PeImage& image) : image_(image) {}

  bool EntryCount(uint32_t directory, uint32_t& count) const {
    const uint64_t rva = Rva(directory);
    uint16_t named = 0;
    uint16_t ids = 0;
    uint64_t ignored = 0;
    if (!image_.MapRva(rva, kResourceDirectoryHeaderSize, ignored) ||
        !image_.U16AtRva(rva + 12, named) || !image_.U16AtRva(rva + 14, ids))
      return false;
    count = uint32_t{named} + ids;
    return true;
  }

  bool Entry(uint32_t directory, uint32_t index, ResourceEntry& entry) const {
    const uint64_t rva = Rva(directory) + kResourceDirectoryHeaderSize + index * kResourceEntrySize;
    return image_.U32AtRva(rva, entry.name) && image_.U32AtRva(rva + 4, entry.target);
  }

  // The subdirectory of the entry with this numeric id.
  bool FindSubdirectory(uint32_t directory, uint32_t id, uint32_t& subdirectory) const {
    uint32_t count = 0;
    if (!EntryCount(directory, count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      ResourceEntry entry;
      if (!Entry(directory, i, entry)) return false;
      if (entry.name == id) {
        if (!(entry.target & kSubdirectoryFlag)) return false;
        subdirectory = entry.target & ~kSubdirectoryFlag;
        return true;
      }
    }
    return false;
  }

  // The language-neutral entry, else the first one.
  bool ChooseLanguage(uint32_t directory, uint32_t& dataEntry) const {
    uint32_t count = 0;
    if (!EntryCount(directory, count) || count == 0) return false;
    ResourceEntry chosen;
    if (!Entry(directory, 0, chosen)) return false;
    for (uint32_t i = 1; i < count && chosen.name != kLangNeutral; ++i) {
      ResourceEntry entry;
      if (!Entry(directory, i, entry)) return false;
      if (entry.name == kLangNeutral) chosen = entry;
    }
    if (chosen.target & kSubdirectoryFlag) return false;
    dataEntry = chosen.target;
    return true;
  }

  // IMAGE_RESOURCE_DATA_ENTRY: the resource's own RVA and size.
  bool Data(uint32_t dataEntry, uint32_t& rva, uint32_t& size) const {
    const uint64_t entry = Rva(dataEntry);
    uint64_t ignored = 0;
    return image_.MapRva(entry, kResourceDataEntrySize, ignored) && image_.U32AtRva(entry, rva) &&
           image_.U32AtRva(entry + 4, size);
  }

 private:
  uint64_t Rva(uint32_t offset) const { return uint64_t{image_.ResourceRva()} + offset; }

  const PeImage& image_;
};

// VS_VERSIONINFO at offset, size bytes long: its header, the UTF-16 key, and
// the VS_FIXEDFILEINFO value after the key's 32-bit padding.
bool ParseVersionBlock(const ImageReader& reader, uint64_t offset, uint64_t size,
                       FileVersion& version) {
  const uint64_t valueOffset = AlignTo32Bits(kVersionBlockHeaderSize + kVersionKeyBytes);
  uint16_t length = 0;
  uint16_t valueLength = 0;
  uint16_t type = 0;
  if (!reader.U16(offset, length) || !reader.U16(offset + 2, valueLength) ||
      !reader.U16(offset + 4, type))
    return false;
  if (length > size || length < valueOffset + kFixedFileInfoSize ||
      valueLength < kFixedFileInfoSize || type != 0)
    return false;

  for (uint64_t i = 0; i < sizeof(kVersionKey); ++i) {
    uint16_t unit = 0;
    if (!reader.U16(offset + kVersionBlockHeaderSize + 2 * i, unit) ||
        unit != static_cast<uint8_t>(kVersionKey[i]))
      return false;
  }

  const uint64_t value = offset + valueOffset;
  uint32_t signature = 0;
  return reader.U32(value, signature) && signature == kFixedFileInfoSignature &&
         reader.U32(value + 8, version.mostSignificant) &&
         reader.U32(value + 12, version.leastSignificant);
}

// Where the version resource's data lies in the file.
bool LocateVersionResource(const ImageReader& reader, uint64_t& offset, uint32_t& size) {
  PeImage image(reader);
  if (!image.ReadHeaders()) return false;

  const ResourceTree tree(image);
  uint32_t types = 0;
  uint32_t languages = 0;
  uint32_t dataEntry = 0;
  uint32_t dataRva = 0;
  return tree.FindSubdirectory(0, kRtVersion, types) &&
         tree.FindSubdirectory(types, kVsVersionInfoName, languages) &&
         tree.ChooseLanguage(languages, dataEntry) && tree.Data(dataEntry, dataRva, size) &&
         image.MapRva(dataRva, size, offset);
}

bool ParseImage(const ImageReader& reader, FileVersion& version) {
  uint64_t dataOffset = 0;
  uint32_t dataSize = 0;
  if (!LocateVersionResource(reader, dataOffset, dataSize)) return false;
  FileVersion found;
  if (!ParseVersionBlock(reader, dataOffset, dataSize, found)) return false;
  version = found;
  return true;
}

}  // namespace

bool ReadPeVersionBlock(const std::string& hostPath, std::vector<uint8_t>& block) {
  const FileReader reader(hostPath);
  uint64_t dataOffset = 0;
  uint32_t dataSize = 0;
  FileVersion ignored;
  // Only a block whose fixed part reads back sound is handed out, so the
  // texts are never read from a resource the version reader refuses.
  if (!LocateVersionResource(reader, dataOffset, dataSize) ||
      !ParseVersionBlock(reader, dataOffset, dataSize, ignored))
    return false;
  block.resize(dataSize);
  return reader.ReadAt(dataOffset, block.data(), block.size());
}

bool ParsePeFileVersion(const uint8_t* data, size_t size, FileVersion& version) {
  return ParseImage(MemoryReader(data, size), version);
}

bool ReadPeFileVersion(const std::string& hostPath, FileVersion& version) {
  return ParseImage(FileReader(hostPath), version);
}

}  // namespace platform::posix
