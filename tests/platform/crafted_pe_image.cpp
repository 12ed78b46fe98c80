#include "crafted_pe_image.h"

#include <algorithm>
#include <cstddef>

void Put16(std::vector<uint8_t>& image, size_t at, uint32_t value) {
  image.at(at) = static_cast<uint8_t>(value);
  image.at(at + 1) = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
  Put16(image, at, value & 0xFFFF);
  Put16(image, at + 2, value >> 16);
}

namespace {

using Image = std::vector<uint8_t>;

constexpr size_t kOptionalHeader = 0x58;
constexpr size_t kOptionalHeaderSize = 0xF0;
constexpr size_t kSectionTable = kOptionalHeader + kOptionalHeaderSize;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceRva = 0x10000000;
constexpr uint32_t kSubdirectory = 0x80000000u;
constexpr size_t kBlockSize = 92;

size_t DirectorySize(uint32_t entries) { return 16 + size_t{entries} * 8; }

// A directory at tree offset `at` whose last entry is (lastName, lastTarget)
// and whose others are string names or other ids, all leading to filler.
void PutDirectory(Image& image, size_t tree, size_t at, uint32_t entries, uint32_t fillerName,
                  uint32_t fillerTarget, uint32_t lastName, uint32_t lastTarget) {
  const uint32_t named = std::min<uint32_t>(entries / 2, 0xFFFF);
  Put16(image, tree + at + 12, named);
  Put16(image, tree + at + 14, entries - named);
  for (uint32_t i = 0; i + 1 < entries; ++i) {
    const size_t entry = tree + at + 16 + size_t{i} * 8;
    Put32(image, entry, i < named ? kSubdirectory | static_cast<uint32_t>(at) : fillerName + i);
    Put32(image, entry + 4, fillerTarget);
  }
  const size_t last = tree + at + 16 + size_t{entries - 1} * 8;
  Put32(image, last, lastName);
  Put32(image, last + 4, lastTarget);
}

void PutVersionBlock(Image& image, size_t at, uint32_t mostSignificant, uint32_t leastSignificant) {
  const char key[] = "VS_VERSION_INFO";
  Put16(image, at, kBlockSize);
  Put16(image, at + 2, 52);
  for (size_t c = 0; c < sizeof key; ++c)
    Put16(image, at + 6 + 2 * c, static_cast<uint8_t>(key[c]));
  Put32(image, at + 40, 0xFEEF04BD);
  Put32(image, at + 48, mostSignificant);
  Put32(image, at + 52, leastSignificant);
}

}  // namespace

std::vector<uint8_t> CraftedVersionImage(uint16_t sectionCount, uint32_t entriesPerDirectory,
                                         uint32_t mostSignificant, uint32_t leastSignificant) {
  const uint32_t entries = std::max<uint32_t>(1, std::min<uint32_t>(entriesPerDirectory, 0x1FFFE));
  const uint16_t sections = std::max<uint16_t>(1, sectionCount);

  // The resource tree: three directories, two data entries, two blocks.
  const size_t typeDirectory = DirectorySize(entries);
  const size_t nameDirectory = typeDirectory + DirectorySize(entries);
  const size_t neutralData = nameDirectory + DirectorySize(entries);
  const size_t otherData = neutralData + 16;
  const size_t neutralBlock = otherData + 16;
  const size_t otherBlock = neutralBlock + 96;
  const size_t treeSize = otherBlock + 96;

  const size_t tree =
      (kSectionTable + size_t{sections} * kSectionHeaderSize + 0x1FF) & ~size_t{0x1FF};
  Image image(tree + treeSize, 0);
  Put16(image, 0, 0x5A4D);
  Put32(image, 0x3C, 0x40);
  Put32(image, 0x40, 0x00004550);
  Put16(image, 0x44, 0x8664);
  Put16(image, 0x46, sections);
  Put16(image, 0x54, kOptionalHeaderSize);
  Put16(image, kOptionalHeader, 0x20B);
  Put32(image, kOptionalHeader + 108, 16);
  Put32(image, kOptionalHeader + 112 + 2 * 8, kResourceRva);
  Put32(image, kOptionalHeader + 112 + 2 * 8 + 4, static_cast<uint32_t>(treeSize));

  // Sections that hold nothing present in the file, then the resources.
  for (uint32_t i = 0; i + 1 < sections; ++i) {
    const size_t header = kSectionTable + size_t{i} * kSectionHeaderSize;
    Put32(image, header + 8, 0x1000);
    Put32(image, header + 12, 0x1000 * (i + 1));
  }
  const size_t resources = kSectionTable + (size_t{sections} - 1) * kSectionHeaderSize;
  Put32(image, resources + 8, static_cast<uint32_t>(treeSize));
  Put32(image, resources + 12, kResourceRva);
  Put32(image, resources + 16, static_cast<uint32_t>(treeSize));
  Put32(image, resources + 20, static_cast<uint32_t>(tree));

  const auto offset = [](size_t at) { return static_cast<uint32_t>(at); };
  PutDirectory(image, tree, 0, entries, 17, kSubdirectory | offset(typeDirectory), 16,
               kSubdirectory | offset(typeDirectory));
  PutDirectory(image, tree, typeDirectory, entries, 2, kSubdirectory | offset(nameDirectory), 1,
               kSubdirectory | offset(nameDirectory));
  PutDirectory(image, tree, nameDirectory, entries, 0x401, offset(otherData), 0,
               offset(neutralData));
  Put32(image, tree + neutralData, kResourceRva + offset(neutralBlock));
  Put32(image, tree + neutralData + 4, kBlockSize);
  Put32(image, tree + otherData, kResourceRva + offset(otherBlock));
  Put32(image, tree + otherData + 4, kBlockSize);
  PutVersionBlock(image, tree + neutralBlock, mostSignificant, leastSignificant);
  PutVersionBlock(image, tree + otherBlock, 0x00090009, 0x00090009);
  return image;
}
