// File versions as the loader asks for them, on both ports: the DLLs built
// from tests/platform/fixtures must read the same on Linux and on Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "BuildVersion.h"
#include "infra/LittleEndian.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/FileVersion.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

std::string FixturePath(const char* name) {
  return FromBuildMachine(std::string(VARNIK_FIXTURE_DIR) + "/" + name);
}

TEST(FileVersionTest, ReadsTheFileVersionNotTheProductVersion) {
  EXPECT_EQ("1.2.3.4", GetFileVersionString(FixturePath(VARNIK_FIXTURE_VERSIONED)));
}

TEST(FileVersionTest, TextsAndTranslationsByPathWithoutRegardToCase) {
  platform::VersionResource resource;
  ASSERT_EQ(platform::VersionResource::Status::Loaded,
            resource.Load(FixturePath(VARNIK_FIXTURE_VERSIONED)));
  std::vector<platform::VersionTranslation> translations;
  ASSERT_TRUE(resource.QueryTranslations(translations));
  ASSERT_EQ(1u, translations.size());
  EXPECT_EQ(0x409, translations[0].language);
  EXPECT_EQ(1200, translations[0].codePage);
  std::string text;
  EXPECT_TRUE(resource.QueryText("\\StringFileInfo\\040904B0\\FileVersion", text));
  EXPECT_EQ("1.2.3.4", text);
  EXPECT_TRUE(resource.QueryText("\\stringfileinfo\\040904b0\\PRODUCTVERSION", text));
  EXPECT_EQ("9.8.7.6", text);
  EXPECT_FALSE(resource.QueryText("\\StringFileInfo\\040704E4\\FileVersion", text));
  EXPECT_FALSE(resource.QueryText("\\StringFileInfo\\040904B0\\Comments", text));

  EXPECT_EQ(platform::VersionResource::Status::NoResource,
            resource.Load(FixturePath(VARNIK_FIXTURE_UNVERSIONED)));
  EXPECT_FALSE(resource.QueryTranslations(translations));
  EXPECT_FALSE(resource.QueryText("\\StringFileInfo\\040904B0\\FileVersion", text));
}

TEST(FileVersionTest, LoaderVersionIsTheProjectVersion) {
  EXPECT_EQ(Format("%d.%d.%d.%d", VARNIK_VERSION_MAJOR, VARNIK_VERSION_MINOR,
                   VARNIK_VERSION_PATCH, VARNIK_VERSION_TWEAK),
            GetLoaderVersion());
}

class FileVersionFilesTest : public MachineTest {
 protected:
  void SetUp() override {
    good_ = ReadTestFile(FixturePath(VARNIK_FIXTURE_VERSIONED));
    // VS_VERSIONINFO begins three WORDs before its UTF-16 key.
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0\0", 32);
    const auto found = std::search(good_.begin(), good_.end(), key.begin(), key.end());
    ASSERT_NE(good_.end(), found) << "the fixture has no VS_VERSION_INFO";
    block_ = static_cast<size_t>(found - good_.begin()) - 6;
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = machine_.ScratchFolder() + "\\" + name;
    EXPECT_TRUE(WriteTestFile(path, bytes)) << path;
    return path;
  }

  std::string good_;
  size_t block_ = 0;
};

TEST_F(FileVersionFilesTest, FilesWithoutAUsableVersionGiveNone) {
  EXPECT_EQ("", GetFileVersionString(FixturePath(VARNIK_FIXTURE_UNVERSIONED)));
  EXPECT_EQ("", GetFileVersionString(machine_.ScratchFolder() + "\\absent.dll"));
  EXPECT_EQ("", GetFileVersionString(machine_.ScratchFolder()));
  EXPECT_EQ("", GetFileVersionString(""));
  EXPECT_EQ("", GetFileVersionString(Write("notes.txt", "MZ starts this text; no program.\r\n")));
  EXPECT_EQ("", GetFileVersionString(Write("empty.dll", "")));
}

TEST_F(FileVersionFilesTest, DamagedCopiesGiveNone) {
  // An intact copy reads like the original, so an empty answer below comes
  // from the damage and not from the copying.
  ASSERT_EQ("1.2.3.4", GetFileVersionString(Write("intact.dll", good_)));

  EXPECT_EQ("", GetFileVersionString(Write("headers-only.dll", good_.substr(0, 512))));
  EXPECT_EQ("", GetFileVersionString(Write("before-block.dll", good_.substr(0, block_))));
  // Cut between the key and VS_FIXEDFILEINFO.
  EXPECT_EQ("", GetFileVersionString(Write("inside-block.dll", good_.substr(0, block_ + 40))));

  std::string badSignature = good_;
  ASSERT_EQ(std::string("\xBD\x04\xEF\xFE", 4), badSignature.substr(block_ + 40, 4));
  badSignature[block_ + 40] ^= 0x7F;
  EXPECT_EQ("", GetFileVersionString(Write("bad-signature.dll", badSignature)));

  std::string badPeHeader = good_;
  const size_t newHeader = ReadLe16(reinterpret_cast<const unsigned char*>(good_.data()) + 0x3C);
  ASSERT_EQ(std::string("PE\0\0", 4), badPeHeader.substr(newHeader, 4));
  badPeHeader[newHeader + 1] = 'X';
  EXPECT_EQ("", GetFileVersionString(Write("bad-pe-header.dll", badPeHeader)));
}

}  // namespace
