// Placing a downloaded file: the destination holds the complete old file or
// the complete new one, a held library counts as placed only at the same
// version, and the temporary source never stays behind.
#include <gtest/gtest.h>

#include <vector>

#include "held_file.h"
#include "install/FilePlacement.h"
#include "platform/FileSystem.h"
#include "platform_fixture.h"
#include "test_files.h"

namespace {

class FilePlacementTest : public PlatformTest {
 protected:
  // A copy of a served library in the scratch folder, as a download leaves it.
  std::string Downloaded(const std::string& served, const std::string& name) {
    const std::string path = Scratch(name);
    EXPECT_TRUE(WriteTestFile(path, ReadTestFile(ServedFile(served))));
    return path;
  }

  std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<platform::FoundEntry> entries;
    platform::FindEntries(folder + "\\*", entries);
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(entry.name);
    return names;
  }
};

TEST_F(FilePlacementTest, CreatesFoldersAndReplacesWholeFiles) {
  const std::string destination = Scratch("a\\b\\c\\component.dll");
  ASSERT_TRUE(MoveFile2Destination(Downloaded("wnbin/components/component.dll", "t1.dll"), destination));
  EXPECT_EQ(ReadTestFile(ServedFile("wnbin/components/component.dll")), ReadTestFile(destination));
  ASSERT_TRUE(MoveFile2Destination(Downloaded("wnbin/components/component-v2.dll", "t2.dll"), destination));
  EXPECT_EQ(ReadTestFile(ServedFile("wnbin/components/component-v2.dll")), ReadTestFile(destination));
  EXPECT_EQ(std::vector<std::string>{"component.dll"}, FolderEntries(Scratch("a\\b\\c")));
  EXPECT_FALSE(PathExists(Scratch("t1.dll")));
  EXPECT_FALSE(PathExists(Scratch("t2.dll")));
  EXPECT_TRUE(Logged("INFO", "MoveFile2Destination", "Create directories recursive, " + destination));
}

// The working file is never emptied or cut short by a placement that fails.
TEST_F(FilePlacementTest, AFailedPlacementKeepsTheOldFileWhole) {
  const std::string destination = Scratch("etc\\config.ini");
  platform::CreateDirectoryWithParents(Scratch("etc"));
  ASSERT_TRUE(WriteTestFile(destination, "[Settings]\r\nServer=old\r\n"));
  EXPECT_FALSE(MoveFile2Destination(Scratch("vanished.ini"), destination));
  EXPECT_EQ("[Settings]\r\nServer=old\r\n", ReadTestFile(destination));
  EXPECT_EQ(std::vector<std::string>{"config.ini"}, FolderEntries(Scratch("etc")));
}

TEST_F(FilePlacementTest, AHeldLibraryCountsAsPlacedOnlyAtTheSameVersion) {
  const std::string destination = Scratch("bin\\component.dll");
  ASSERT_TRUE(MoveFile2Destination(Downloaded("wnbin/components/component.dll", "first.dll"), destination));
  const std::string installed = ReadTestFile(destination);
  HeldFile held(destination);
  if (!held.Held()) GTEST_SKIP() << "this machine cannot hold " << destination << " against replacement";

  // Same version: the file in place is kept and counts as placed.
  const std::string same = Scratch("same.dll");
  ASSERT_TRUE(WriteTestFile(same, ReadTestFile(ServedFile("wnbin/components/component.dll")) + "trailer"));
  EXPECT_TRUE(MoveFile2Destination(same, destination));
  EXPECT_TRUE(Logged("INFO", "MoveFile2Destination", "File " + destination + " is locked for writing, comparing versions"));
  EXPECT_TRUE(Logged("INFO", "MoveFile2Destination", "Source version: 1.2.3.4. Destination Version: 1.2.3.4"));
  EXPECT_TRUE(Logged("INFO", "MoveFile2Destination", "Source and destination have the same version, no need to copy"));

  // Another version cannot be placed.
  EXPECT_FALSE(MoveFile2Destination(Downloaded("wnbin/components/component-v2.dll", "v2.dll"), destination));
  EXPECT_EQ(installed, ReadTestFile(destination));
  EXPECT_FALSE(PathExists(same));
  EXPECT_FALSE(PathExists(Scratch("v2.dll")));
  EXPECT_EQ(std::vector<std::string>{"component.dll"}, FolderEntries(Scratch("bin")));
}

TEST_F(FilePlacementTest, OnlyLibrariesAndProgramsAreComparedByVersion) {
  const std::string destination = Scratch("control.ocx");
  ASSERT_TRUE(WriteTestFile(destination, "old control"));
  HeldFile held(destination);
  if (!held.Held()) GTEST_SKIP() << "this machine cannot hold " << destination << " against replacement";
  // Neither file has a version, yet an ".ocx" is not compared.
  const std::string source = Scratch("new.ocx");
  ASSERT_TRUE(WriteTestFile(source, "new control"));
  EXPECT_FALSE(MoveFile2Destination(source, destination));
  EXPECT_EQ("old control", ReadTestFile(destination));
  EXPECT_FALSE(PathExists(source));
}

// A destination that is not there is never "the same version".
TEST_F(FilePlacementTest, AnUnplaceableLibraryWithoutVersionsIsNotPlaced) {
  const std::string blocker = Scratch("blocked");
  ASSERT_TRUE(WriteTestFile(blocker, "a file where a folder should be"));
  const std::string source = Scratch("plain.dll");
  ASSERT_TRUE(WriteTestFile(source, "no version resource"));
  EXPECT_FALSE(MoveFile2Destination(source, blocker + "\\plain.dll"));
  EXPECT_FALSE(PathExists(source));
}

}  // namespace
