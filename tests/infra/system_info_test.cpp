#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "infra/SystemInfo.h"
#include "test_files.h"
#include "platform/SystemFacts.h"
#include "test_machine.h"

namespace {

class SystemInfoTest : public MachineTest {};

TEST_F(SystemInfoTest, Windows8OrLaterFollowsTheReportedVersion) {
  if (!TestMachine::IsConfigurable()) GTEST_SKIP() << "the version of this machine is fixed";
  struct Case {
    const char* ini;
    bool expected;
  } const cases[] = {
      {"[os]\nmajor=6\nminor=1\n", false},  // Windows 7
      {"[os]\nmajor=6\nminor=2\n", true},   // Windows 8
      {"[os]\nmajor=10\nminor=0\n", true}, {"[os]\nmajor=5\nminor=9\n", false},
      {"[os]\nmajor=10\nminor=0\nplatform=1\n", false},  // not NT
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(machine_.Configure(c.ini));
    EXPECT_EQ(c.expected, IsWindows8OrLater()) << c.ini;
  }
}

TEST_F(SystemInfoTest, NewGuidStringsAreFreshLowerCaseGuids) {
  const std::regex shape("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
  std::set<std::string> seen;
  for (int i = 0; i < 50; ++i) {
    const std::string guid = NewGuidString();
    EXPECT_TRUE(std::regex_match(guid, shape)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(50u, seen.size());
}

TEST_F(SystemInfoTest, GuidTextPutsTheFirstThreeFieldsInNumberOrder) {
  const platform::Guid guid = {0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66,
                               0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF};
  EXPECT_EQ("00112233-4455-6677-8899-aabbccddeeff", platform::GuidToText(guid));
}

TEST_F(SystemInfoTest, FileExistsForFilesAndFoldersOnly) {
  const std::string folder = machine_.ScratchFolder();
  EXPECT_TRUE(FileExists(folder));
  const std::string file = folder + "\\present.txt";
  ASSERT_TRUE(WriteTestFile(file, ""));
  EXPECT_TRUE(FileExists(file));
  EXPECT_FALSE(FileExists(folder + "\\absent.txt"));
  EXPECT_FALSE(FileExists(folder + "\\absent\\deeper.txt"));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(SystemInfoTest, ApplicationDataFoldersExist) {
  const std::string local = GetLocalAppDataFolder();
  const std::string common = GetCommonAppDataFolder();
  ASSERT_FALSE(local.empty());
  ASSERT_FALSE(common.empty());
  EXPECT_NE(local, common);
  EXPECT_TRUE(FileExists(local));
  EXPECT_TRUE(FileExists(common));
}

}  // namespace
