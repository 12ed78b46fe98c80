// The posix port's mapping of Windows paths onto the machine root.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/FileSystem.h"
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

TEST_F(MachineRootTest, DotDotNeverLeavesTheDrive) {
  EXPECT_EQ(Root() + "/drive_c/etc/passwd", platform::ToNativePath("C:\\..\\..\\etc\\passwd"));
  EXPECT_EQ(Root() + "/drive_c/b", platform::ToNativePath("C:\\a\\.\\..\\b"));
}

TEST_F(MachineRootTest, HostAndRelativePathsKeepTheirPlace) {
  EXPECT_EQ("/tmp/logs/name.txt", platform::ToNativePath("/tmp/logs\\name.txt"));
  EXPECT_EQ("dir/file", platform::ToNativePath("dir\\file"));
}

}  // namespace
