// Whole folder paths made at once.
#include <gtest/gtest.h>

#include <string>

#include "infra/FolderTree.h"
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

}  // namespace
