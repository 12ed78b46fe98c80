#include <gtest/gtest.h>

#include "links.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "infra/RecursiveDirDelete.h"
#include "session_fixture.h"
#include "test_files.h"

namespace {

class RecursiveDirDeleteTest : public SessionTest {
 protected:
  std::string Folder(const std::string& name) {
    const std::string path = machine_.ScratchFolder() + "\\" + name;
    EXPECT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(path));
    return path;
  }
};

TEST_F(RecursiveDirDeleteTest, RemovesTheWholeTreeWithReadOnlyFiles) {
  const std::string root = Folder("tree");
  Folder("tree\\a\\b\\c");
  ASSERT_TRUE(WriteTestFile(root + "\\top.txt", "1"));
  ASSERT_TRUE(WriteTestFile(root + "\\a\\b\\deep.dll", "2"));
  uint32_t notApplied = 0;
  ASSERT_TRUE(platform::SetPathAttributes(root + "\\a\\b\\deep.dll",
                                          platform::kFileAttributeReadOnly, notApplied));
  EXPECT_TRUE(RecursiveDirDelete(root + "\\"));
  EXPECT_FALSE(PathExists(root));
  EXPECT_TRUE(Logged("INFO", "RecursiveDirDelete", root + "\\"));
  EXPECT_TRUE(RecursiveDirDelete(root));  // gone already
  EXPECT_TRUE(RecursiveDirDelete(""));
}

TEST_F(RecursiveDirDeleteTest, LinksInsideAreRemovedWithoutTouchingWhatTheyPointTo) {
  const std::string outside = Folder("outside");
  Folder("outside\\sub");
  ASSERT_TRUE(WriteTestFile(outside + "\\keep.txt", "keep"));
  ASSERT_TRUE(WriteTestFile(outside + "\\sub\\also.txt", "also"));
  const std::string root = Folder("deployment");
  Folder("deployment\\inner");
  if (!MakeFolderLink(root + "\\inner\\to-folder", outside))
    GTEST_SKIP() << "this system makes neither symbolic links nor junctions";
  const bool fileLinks = MakeFileLink(root + "\\to-file", outside + "\\keep.txt") &&
                         MakeFileLink(root + "\\inner\\dangling", outside + "\\gone.txt");
  // The link as the folder to remove: only the link goes.
  ASSERT_TRUE(MakeFolderLink(machine_.ScratchFolder() + "\\link-root", outside));

  EXPECT_TRUE(RecursiveDirDelete(root));
  EXPECT_FALSE(PathExists(root));
  EXPECT_TRUE(RecursiveDirDelete(machine_.ScratchFolder() + "\\link-root"));
  EXPECT_FALSE(PathExists(machine_.ScratchFolder() + "\\link-root"));

  EXPECT_EQ("keep", ReadTestFile(outside + "\\keep.txt"));
  EXPECT_EQ("also", ReadTestFile(outside + "\\sub\\also.txt"));
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::ReadPathAttributes(outside + "\\keep.txt", attributes));
  EXPECT_EQ(0u, attributes & platform::kFileAttributeReadOnly);
  if (!fileLinks) GTEST_SKIP() << "links to files are not made on this system";
}

}  // namespace
