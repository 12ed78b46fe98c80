// Whole folder paths made and removed, links inside left pointing where
// they pointed.
#include <gtest/gtest.h>

#include <string>

#include "folder_link.h"
#include "infra/FolderTree.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

using FolderTreeTest = MachineTest;

TEST_F(FolderTreeTest, CreatesFoldersUpToTheLastSeparator) {
  const std::string base = machine_.ScratchFolder();
  CreateFoldersOfPath(base + "\\a\\b\\file.txt");
  EXPECT_TRUE(PathExists(base + "\\a\\b"));
  EXPECT_FALSE(PathExists(base + "\\a\\b\\file.txt"));
  CreateFoldersOfPath(base + "\\c\\d\\");
  EXPECT_TRUE(PathExists(base + "\\c\\d"));
  CreateFoldersOfPath(base + "\\a\\b\\again");  // existing folders are no error
  CreateFoldersOfPath("no-separator");
}

TEST_F(FolderTreeTest, RemovesEverythingBelowReadOnlyFilesIncluded) {
  const std::string tree = machine_.ScratchFolder() + "\\tree";
  CreateFoldersOfPath(tree + "\\one\\two\\");
  ASSERT_TRUE(WriteTestFile(tree + "\\top.txt", "x"));
  ASSERT_TRUE(WriteTestFile(tree + "\\one\\two\\deep.txt", "x"));
  uint32_t notApplied = 0;
  ASSERT_TRUE(platform::SetPathAttributes(tree + "\\one\\two\\deep.txt",
                                          platform::kFileAttributeReadOnly, notApplied));
  EXPECT_TRUE(RecursiveDirDelete(tree + "\\"));
  EXPECT_FALSE(PathExists(tree));
  EXPECT_TRUE(RecursiveDirDelete(tree));  // nothing left to remove
  EXPECT_TRUE(RecursiveDirDelete(""));
}

TEST_F(FolderTreeTest, LinksAreRemovedAndWhatTheyPointToIsKept) {
  const std::string outside = machine_.ScratchFolder() + "\\outside";
  const std::string tree = machine_.ScratchFolder() + "\\tree";
  CreateFoldersOfPath(outside + "\\");
  CreateFoldersOfPath(tree + "\\inner\\");
  ASSERT_TRUE(WriteTestFile(outside + "\\precious.txt", "keep"));
  std::string why;
  if (!MakeFolderLink(tree + "\\inner\\link", outside, why)) GTEST_SKIP() << why;
  ASSERT_TRUE(MakeFolderLink(machine_.ScratchFolder() + "\\tree-link", tree, why)) << why;

  // The folder given is itself a link: only the link goes.
  EXPECT_TRUE(RecursiveDirDelete(machine_.ScratchFolder() + "\\tree-link"));
  EXPECT_FALSE(PathExists(machine_.ScratchFolder() + "\\tree-link"));
  EXPECT_TRUE(PathExists(tree + "\\inner\\link"));

  EXPECT_TRUE(RecursiveDirDelete(tree));
  EXPECT_FALSE(PathExists(tree));
  EXPECT_EQ("keep", ReadTestFile(outside + "\\precious.txt"));
}

}  // namespace
