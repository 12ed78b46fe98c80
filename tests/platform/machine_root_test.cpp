// The posix port's mapping of Windows paths onto the machine root.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "platform/posix/machine_root.h"
#include "test_machine.h"

namespace {

class MachineRootTest : public MachineTest {
 protected:
  std::string Root() const { return std::getenv("VARNIK_ROOT"); }
};

TEST_F(MachineRootTest, DrivesMapBelowTheRoot) {
  EXPECT_EQ(Root() + "/drive_c/Windows/system32", platform::ToNativePath("C:\\Windows\\system32"));
  EXPECT_EQ(Root() + "/drive_c/Windows", platform::ToNativePath("\\\\?\\c:\\windows\\"));
  EXPECT_EQ(Root() + "/drive_d/data/x", platform::ToNativePath("D:/data\\x"));
  EXPECT_EQ(Root() + "/drive_c/top", platform::ToNativePath("\\top"));
  EXPECT_EQ(Root() + "/unc/server/share/f", platform::ToNativePath("\\\\server\\share\\f"));
  EXPECT_EQ(Root() + "/unc/server/share/f", platform::ToNativePath("\\\\?\\UNC\\server\\share\\f"));
}

TEST_F(MachineRootTest, ExistingNamesMatchWithoutRegardToCase) {
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents("C:\\Data\\Sub"));
  EXPECT_EQ(Root() + "/drive_c/Data/Sub/New.txt", platform::ToNativePath("c:\\DATA\\sub\\New.txt"));
  {
    std::ofstream(platform::ToNativePath("C:\\data\\SUB\\file.TXT")) << "content";
  }
  std::ifstream back(Root() + "/drive_c/Data/Sub/file.TXT");
  std::string content;
  back >> content;
  EXPECT_EQ("content", content);
}

TEST_F(MachineRootTest, DotDotNeverLeavesTheDriveOrTheShare) {
  EXPECT_EQ(Root() + "/drive_c/etc/passwd", platform::ToNativePath("C:\\..\\..\\etc\\passwd"));
  EXPECT_EQ(Root() + "/drive_c/b", platform::ToNativePath("C:\\a\\.\\..\\b"));
  EXPECT_EQ(Root() + "/unc/server/share/x",
            platform::ToNativePath("\\\\server\\share\\..\\..\\x"));
  // Prefixed paths are not resolved at all: they name nothing.
  EXPECT_EQ("", platform::ToNativePath("\\\\?\\C:\\..\\..\\etc\\passwd"));
}

// The user's name becomes a folder below C:\Users; a name that is not one
// plain folder name would put the profile anywhere, even outside the root.
TEST_F(MachineRootTest, UserNameMustBeOnePlainFolderName) {
  const std::filesystem::path root(Root());
  const std::string escaped = "varnik-escaped-" + root.filename().string();
  const std::string names[] = {"../../../" + escaped, "..\\..\\..\\" + escaped, "..", "a/b",
                               "c:x", "dots."};
  for (const std::string& name : names) {
    ASSERT_TRUE(machine_.Configure("[user]\nname=" + name + "\n"));
    std::string temp;
    ASSERT_TRUE(platform::QueryTempFolder(temp));
    EXPECT_EQ("C:\\Users\\user\\AppData\\Local\\Temp\\", temp) << name;
    std::error_code ignored;
    EXPECT_FALSE(std::filesystem::exists(root.parent_path() / escaped)) << name;
    std::filesystem::remove_all(root.parent_path() / escaped, ignored);
  }
  ASSERT_TRUE(machine_.Configure("[USER]\nName = Alice Smith\n"));
  EXPECT_EQ("C:\\Users\\Alice Smith", platform::posix::UserProfileFolder());
}

TEST_F(MachineRootTest, HostAndRelativePathsKeepTheirPlace) {
  EXPECT_EQ("/tmp/logs/name.txt", platform::ToNativePath("/tmp/logs\\name.txt"));
  EXPECT_EQ("dir/file", platform::ToNativePath("dir\\file"));
}

}  // namespace
