// The posix port's own PE reader: both optional-header forms, damaged copies
// of the fixtures, and the lookup rules on hand-made images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "crafted_pe_image.h"
#include "infra/LittleEndian.h"
#include "platform/posix/pe_version_resource.h"
#include "test_files.h"

namespace {

using Image = std::vector<uint8_t>;

std::string FixturePath(const char* name) { return std::string(VARNIK_FIXTURE_DIR) + "/" + name; }

// "none", or the two version double words in hex.
std::string Parsed(const Image& image) {
  platform::FileVersion version;
  if (!platform::posix::ParsePeFileVersion(image.data(), image.size(), version)) return "none";
  char text[32];
  std::snprintf(text, sizeof text, "%08x.%08x", version.mostSignificant, version.leastSignificant);
  return text;
}

class FixtureImageTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const std::string bytes = ReadTestFile(FixturePath(GetParam()));
    image_.assign(bytes.begin(), bytes.end());
    const char key[] = "V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0";
    for (size_t at = 6; block_ == 0 && at + sizeof key <= image_.size(); ++at) {
      if (std::memcmp(&image_[at], key, sizeof key) == 0) block_ = at - 6;
    }
    ASSERT_GT(block_, 0u) << "no VS_VERSION_INFO in " << FixturePath(GetParam());
    blockEnd_ = block_ + ReadLe16(&image_[block_]);
  }

  Image image_;
  size_t block_ = 0;  // VS_VERSIONINFO: header, key at +6, VS_FIXEDFILEINFO at +40
  size_t blockEnd_ = 0;
};

TEST_P(FixtureImageTest, ReadsTheVersionFromMemoryAndFromTheFile) {
  EXPECT_EQ("00010002.00030004", Parsed(image_));
  platform::FileVersion version;
  ASSERT_TRUE(platform::posix::ReadPeFileVersion(FixturePath(GetParam()), version));
  EXPECT_EQ(0x00030004u, version.leastSignificant);
}

TEST_P(FixtureImageTest, EveryTruncationShortOfTheBlockGivesNone) {
  for (size_t length = 0; length < blockEnd_; ++length) {
    ASSERT_EQ("none", Parsed(Image(image_.begin(), image_.begin() + length))) << length;
  }
}

// Every byte and double word up to the end of the block, overwritten with
// values that stress offsets and sizes. Only the version's own bytes may
// change a version that is read; damage to the key or signature never reads.
TEST_P(FixtureImageTest, OverwrittenBytesNeverGiveAWrongVersion) {
  const size_t key = block_ + 6, signature = block_ + 40, fileVersion = block_ + 48;
  const std::string expected = Parsed(image_);
  for (size_t width : {1, 4}) {
    for (size_t at = 0; at + width <= blockEnd_; ++at) {
      const Image original(image_.begin() + at, image_.begin() + at + width);
      for (const uint32_t value : {0x00000000u, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFF0u}) {
        if (width == 1) image_[at] = static_cast<uint8_t>(value >> 24);
        if (width == 4) Put32(image_, at, value);
        if (std::equal(original.begin(), original.end(), image_.begin() + at)) continue;
        const std::string got = Parsed(image_);
        const bool keyOrSignature =
            width == 1 &&
            ((at >= key && at < key + 32) || (at >= signature && at < signature + 4));
        const bool versionBytes = at + width > fileVersion && at < fileVersion + 8;
        if (keyOrSignature) {
          ASSERT_EQ("none", got) << at;
        }
        if (got != "none" && !versionBytes) {
          ASSERT_EQ(expected, got) << at << "/" << width;
        }
      }
      std::copy(original.begin(), original.end(), image_.begin() + at);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Pe32PlusAndPe32, FixtureImageTest,
                         ::testing::Values(VARNIK_FIXTURE_VERSIONED,
                                           VARNIK_FIXTURE_VERSIONED_PE32));

// Hand-made PE32+ images: headers, then one section at RVA 0x1000 (file
// offset 0x200) holding only the resource tree, at fixed places so each case
// can bend one field:
//   0x000 root (RT_VERSION)   0x018 type (name 1)   0x030 name (languages)
//   0x080 data entries, 16 apart   0x0C0 version blocks, 0x60 apart
constexpr size_t kOptionalHeader = 0x58;
constexpr size_t kResourceDirectory = kOptionalHeader + 112 + 2 * 8;
constexpr size_t kSectionHeader = kOptionalHeader + 0xF0;
constexpr size_t kRoot = 0x200;
constexpr size_t kTypeDirectory = kRoot + 0x18;
constexpr size_t kNameDirectory = kRoot + 0x30;
constexpr size_t kDataEntries = kRoot + 0x80;
constexpr size_t kBlocks = kRoot + 0xC0;
constexpr uint32_t kSubdirectory = 0x80000000u;

// Each language gets version <major>.0.0.1.
Image HandMadeImage(const std::vector<std::pair<uint16_t, uint16_t>>& languages) {
  Image image(0x600, 0);
  Put16(image, 0, 0x5A4D);
  Put32(image, 0x3C, 0x40);
  Put32(image, 0x40, 0x00004550);
  Put16(image, 0x46, 1);     // sections
  Put16(image, 0x54, 0xF0);  // SizeOfOptionalHeader
  Put16(image, kOptionalHeader, 0x20B);
  Put32(image, kOptionalHeader + 108, 16);
  Put32(image, kResourceDirectory, 0x1000);
  Put32(image, kResourceDirectory + 4, 0x400);
  for (size_t field : {8, 16}) Put32(image, kSectionHeader + field, 0x400);
  Put32(image, kSectionHeader + 12, 0x1000);
  Put32(image, kSectionHeader + 20, kRoot);

  Put16(image, kRoot + 14, 1);
  Put32(image, kRoot + 16, 16);
  Put32(image, kRoot + 20, kSubdirectory | 0x18);
  Put16(image, kTypeDirectory + 14, 1);
  Put32(image, kTypeDirectory + 16, 1);
  Put32(image, kTypeDirectory + 20, kSubdirectory | 0x30);
  Put16(image, kNameDirectory + 14, static_cast<uint16_t>(languages.size()));
  for (size_t i = 0; i < languages.size(); ++i) {
    const size_t dataEntry = kDataEntries + 16 * i, block = kBlocks + 0x60 * i;
    Put32(image, kNameDirectory + 16 + 8 * i, languages[i].first);
    Put32(image, kNameDirectory + 20 + 8 * i, static_cast<uint32_t>(dataEntry - kRoot));
    Put32(image, dataEntry, static_cast<uint32_t>(0x1000 + block - kRoot));
    Put32(image, dataEntry + 4, 92);
    Put16(image, block, 92);
    Put16(image, block + 2, 52);
    for (size_t c = 0; c < sizeof "VS_VERSION_INFO"; ++c)
      Put16(image, block + 6 + 2 * c, static_cast<uint8_t>("VS_VERSION_INFO"[c]));
    Put32(image, block + 40, 0xFEEF04BD);
    Put32(image, block + 48, static_cast<uint32_t>(languages[i].second) << 16);
    Put32(image, block + 52, 1);
  }
  return image;
}

std::string VersionWithMajor(uint32_t major) {
  char text[32];
  std::snprintf(text, sizeof text, "%08x.00000001", major << 16);
  return text;
}

TEST(HandMadeImageTest, PrefersTheLanguageNeutralEntryElseTheFirst) {
  EXPECT_EQ(VersionWithMajor(7), Parsed(HandMadeImage({{0x409, 5}, {0x000, 7}, {0x407, 9}})));
  EXPECT_EQ(VersionWithMajor(5), Parsed(HandMadeImage({{0x409, 5}, {0x407, 9}})));
  EXPECT_EQ("none", Parsed(HandMadeImage({})));
}

TEST(HandMadeImageTest, BrokenStructureGivesNone) {
  const Image good = HandMadeImage({{0x409, 5}});
  ASSERT_EQ(VersionWithMajor(5), Parsed(good));
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    size_t width;
  } const cases[] = {
      {"type RT_RCDATA", kRoot + 16, 10, 4}, {"name 2", kTypeDirectory + 16, 2, 4},
      {"name given as a string", kTypeDirectory + 16, kSubdirectory | 1, 4},
      {"type entry leads to data", kRoot + 20, 0x18, 4},
      {"language entry leads to a directory", kNameDirectory + 20, kSubdirectory | 0x80, 4},
      {"name level loops to the root", kTypeDirectory + 20, kSubdirectory, 4},
      {"language level loops to itself", kNameDirectory + 20, kSubdirectory | 0x30, 4},
      {"no resource directory", kResourceDirectory, 0, 4},
      {"resource directory of size 0", kResourceDirectory + 4, 0, 4},
      {"resource directory outside every section", kResourceDirectory, 0x8000, 4},
      {"too few data directories", kOptionalHeader + 108, 2, 4},
      {"unknown optional header", kOptionalHeader, 0x107, 2},
      {"e_lfanew past the end", 0x3C, 0xFFFFFFF0, 4},
      {"section table past the end", 0x46, 0xFFFF, 2},
      {"section data past the end", kSectionHeader + 20, 0xFFFFFF00, 4},
      // The block is in the file, but past what the section maps.
      {"raw data ends inside the block", kSectionHeader + 16, 0x100, 4},
      {"virtual size ends inside the block", kSectionHeader + 8, 0x100, 4},
      {"data size wraps 32 bits", kDataEntries + 4, 0xFFFFFF60, 4},
      {"data entry beyond the section", kNameDirectory + 20, 0x3F8, 4},
      {"wLength beyond the data", kBlocks, 93, 2},
      {"wLength too short for the fixed info", kBlocks, 91, 2},
      {"wValueLength too short", kBlocks + 2, 51, 2}, {"text value", kBlocks + 4, 1, 2},
      {"key without its terminator", kBlocks + 6 + 2 * 15, 'X', 2},
  };
  for (const Case& c : cases) {
    Image image = good;
    if (c.width == 2) Put16(image, c.at, static_cast<uint16_t>(c.value));
    if (c.width == 4) Put32(image, c.at, c.value);
    EXPECT_EQ("none", Parsed(image)) << c.what;
  }

  // An optional header too short to hold the resource directory: what lies
  // there is the section table, even when its bytes would do as a directory
  // (the moved section's name holds the old directory entry).
  Image image = good;
  Put16(image, 0x54, kResourceDirectory - kOptionalHeader);
  std::memmove(&image[kResourceDirectory + 8], &image[kSectionHeader + 8], 32);
  EXPECT_EQ("none", Parsed(image));

  // A count that runs past the section while looking for a missing name.
  image = good;
  Put32(image, kTypeDirectory + 16, 2);
  Put16(image, kTypeDirectory + 14, 0xFFFF);
  EXPECT_EQ("none", Parsed(image));
}

}  // namespace

namespace {

// Many sections and long directories whose wanted entries come last: the
// version is still the language-neutral one, from memory and from the file.
TEST(CraftedImageTest, LongTablesStillGiveTheLanguageNeutralVersion) {
  const Image image = CraftedVersionImage(65535, 131070, 0x00050006, 0x00070008);
  EXPECT_EQ("00050006.00070008", Parsed(image));

  const std::string path = ::testing::TempDir() + "crafted_version.dll";
  ASSERT_TRUE(WriteTestFile(path, std::string(image.begin(), image.end())));
  platform::FileVersion version;
  EXPECT_TRUE(platform::posix::ReadPeFileVersion(path, version));
  EXPECT_EQ(0x00070008u, version.leastSignificant);
  std::remove(path.c_str());
}

}  // namespace
