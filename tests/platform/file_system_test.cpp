#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "links.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/SystemFacts.h"
#include "platform/TextCompare.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

using FileSystemTest = MachineTest;

TEST_F(FileSystemTest, CreatesMissingParentsAndReportsExistingEntries) {
  const std::string deep = machine_.ScratchFolder() + "\\a\\b\\c";
  EXPECT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(deep));
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::ReadPathAttributes(deep, attributes));
  EXPECT_TRUE(attributes & platform::kFileAttributeDirectory);

  EXPECT_EQ(platform::kErrorAlreadyExists, platform::CreateDirectoryWithParents(deep));
  EXPECT_EQ(platform::kErrorAlreadyExists,
            platform::CreateDirectoryWithParents("\\\\?\\" + deep));

  const std::string file = machine_.ScratchFolder() + "\\a\\file";
  ASSERT_TRUE(WriteTestFile(file, "x"));
  // SHCreateDirectoryExA calls both "already exists"; a file is not the folder.
  EXPECT_EQ(platform::kErrorFileExists, platform::CreateDirectoryWithParents(file));
  EXPECT_EQ(platform::kErrorFileExists, platform::CreateDirectoryWithParents("\\\\?\\" + file));
  EXPECT_NE(platform::kErrorSuccess, platform::CreateDirectoryWithParents(file + "\\below"));

  EXPECT_EQ(platform::kErrorBadPathname, platform::CreateDirectoryWithParents("relative\\dir"));
  EXPECT_EQ(platform::kErrorSuccess,
            platform::CreateDirectoryWithParents("\\\\?\\" + machine_.ScratchFolder() + "\\long"));
}

TEST_F(FileSystemTest, DeleteReportsWhatWasMissing) {
  const std::string folder = machine_.ScratchFolder();
  ASSERT_TRUE(WriteTestFile(folder + "\\doomed.txt", "x"));
  EXPECT_EQ(platform::kErrorSuccess, platform::DeletePath(folder + "\\doomed.txt"));
  EXPECT_EQ(platform::kErrorFileNotFound, platform::DeletePath(folder + "\\doomed.txt"));
  EXPECT_EQ(platform::kErrorPathNotFound, platform::DeletePath(folder + "\\none\\doomed.txt"));
  EXPECT_EQ(platform::kErrorAccessDenied, platform::DeletePath(folder));

  // A file marked read-only stays, as DeleteFileA leaves it.
  const std::string kept = folder + "\\kept.txt";
  uint32_t notApplied = 0;
  ASSERT_TRUE(WriteTestFile(kept, "x"));
  ASSERT_TRUE(platform::SetPathAttributes(kept, platform::kFileAttributeReadOnly, notApplied));
  EXPECT_EQ(platform::kErrorAccessDenied, platform::DeletePath(kept));
  EXPECT_TRUE(PathExists(kept));
  ASSERT_TRUE(platform::SetPathAttributes(kept, 0, notApplied));
  EXPECT_EQ(platform::kErrorSuccess, platform::DeletePath(kept));
}

TEST_F(FileSystemTest, FindsEntriesByMaskWithoutRegardToCase) {
  const std::string folder = machine_.ScratchFolder();
  ASSERT_TRUE(WriteTestFile(folder + "\\local_setup_info_a.ini", "12345"));
  ASSERT_TRUE(WriteTestFile(folder + "\\LOCAL_SETUP_INFO_B.INI", ""));
  ASSERT_TRUE(WriteTestFile(folder + "\\other.ini", "x"));
  ASSERT_TRUE(WriteTestFile(folder + "\\local_setup_info_c.ini.bak", "x"));
  ASSERT_EQ(platform::kErrorSuccess,
            platform::CreateDirectoryWithParents(folder + "\\local_setup_info_dir.ini"));

  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::FindEntries(folder + "\\local_setup_info_*.ini", entries));
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("LOCAL_SETUP_INFO_B.INI", entries[0].name);
  EXPECT_EQ(0u, entries[0].size);
  EXPECT_EQ("local_setup_info_a.ini", entries[1].name);
  EXPECT_EQ(5u, entries[1].size);
  EXPECT_FALSE(entries[1].attributes & platform::kFileAttributeDirectory);
  EXPECT_EQ("local_setup_info_dir.ini", entries[2].name);
  EXPECT_TRUE(entries[2].attributes & platform::kFileAttributeDirectory);

  ASSERT_EQ(platform::kErrorSuccess, platform::FindEntries(folder + "\\?ther.*", entries));
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("other.ini", entries[0].name);

  // A final ".*" also matches names without an extension.
  ASSERT_TRUE(WriteTestFile(folder + "\\setup", "x"));
  ASSERT_EQ(platform::kErrorSuccess, platform::FindEntries(folder + "\\*.*", entries));
  EXPECT_EQ(6u, entries.size());
  ASSERT_EQ(platform::kErrorSuccess, platform::FindEntries(folder + "\\SETUP.*", entries));
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("setup", entries[0].name);

  EXPECT_EQ(platform::kErrorFileNotFound, platform::FindEntries(folder + "\\*.exe", entries));
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(platform::kErrorPathNotFound,
            platform::FindEntries(folder + "\\missing\\*.ini", entries));
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<platform::FoundEntry> entries;
  platform::FindEntries(folder + "\\*", entries);
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(FileSystemTest, OrdinaryPathsAreNormalisedAndPrefixedPathsTakenLiterally) {
  const std::string folder = machine_.ScratchFolder();
  const std::string literal = "\\\\?\\" + folder;
  // Trailing dots and blanks leave the last name, and a single dot any
  // folder name, unless the path is prefixed.
  ASSERT_TRUE(WriteTestFile(folder + "\\plain.", "1"));
  ASSERT_TRUE(WriteTestFile(folder + "\\blank ", "2"));
  ASSERT_TRUE(WriteTestFile(literal + "\\kept.", "3"));
  ASSERT_TRUE(WriteTestFile(literal + "\\kept ", "4"));
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder + "\\sub"));
  ASSERT_TRUE(WriteTestFile(folder + "\\sub.\\inner.txt", "5"));
  EXPECT_EQ((std::vector<std::string>{"blank", "kept ", "kept.", "plain", "sub"}), NamesIn(folder));
  EXPECT_EQ("5", ReadTestFile(folder + "\\sub\\inner.txt"));
  EXPECT_FALSE(PathExists(folder + "\\kept."));
  EXPECT_TRUE(PathExists(literal + "\\kept."));

  // "." and ".." are resolved in ordinary paths; in prefixed ones, like "/"
  // inside a name, they are names Windows refuses.
  EXPECT_EQ(platform::kErrorSuccess,
            platform::CreateDirectoryWithParents(folder + "\\sub\\..\\up"));
  EXPECT_TRUE(PathExists(folder + "\\up"));
  EXPECT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder + "/sub/slash"));
  EXPECT_TRUE(PathExists(folder + "\\sub\\slash"));
  for (const std::string refused : {"\\sub\\..\\up2", "\\.\\dot", "\\sub/slash2"}) {
    EXPECT_EQ(platform::kErrorInvalidName, platform::CreateDirectoryWithParents(literal + refused))
        << refused;
  }
  EXPECT_FALSE(PathExists(folder + "\\up2"));
  EXPECT_FALSE(PathExists(folder + "\\sub\\slash2"));

  // Only a prefixed path reaches such names again.
  EXPECT_EQ(platform::kErrorFileNotFound, platform::DeletePath(folder + "\\kept."));
  EXPECT_EQ(platform::kErrorSuccess, platform::DeletePath(literal + "\\kept."));
  EXPECT_EQ(platform::kErrorSuccess, platform::DeletePath(literal + "\\kept "));
}

TEST_F(FileSystemTest, NetworkSharesWorkWithAndWithoutThePrefix) {
  const std::string share = machine_.NetworkShareFolder();
  if (share.empty()) GTEST_SKIP() << "no network share on this machine";
  const std::string prefixed = "\\\\?\\UNC\\" + share.substr(2);
  const std::string deep = prefixed + "\\made\\deep";
  EXPECT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(deep));
  EXPECT_EQ(platform::kErrorAlreadyExists, platform::CreateDirectoryWithParents(deep));
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::ReadPathAttributes(share + "\\made\\deep", attributes));
  EXPECT_TRUE(attributes & platform::kFileAttributeDirectory);

  ASSERT_TRUE(WriteTestFile(deep + "\\file.txt", "on the share"));
  EXPECT_EQ("on the share", ReadTestFile(share + "\\made\\deep\\file.txt"));
  EXPECT_EQ((std::vector<std::string>{"deep"}), NamesIn(prefixed + "\\made"));
  EXPECT_EQ(platform::kErrorSuccess, platform::DeletePath(deep + "\\file.txt"));
  EXPECT_EQ(platform::kErrorFileNotFound, platform::DeletePath(share + "\\made\\deep\\file.txt"));
}

TEST_F(FileSystemTest, FolderRemovalCopyAndOpening) {
  const std::string folder = machine_.ScratchFolder();
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder + "\\full\\sub"));
  ASSERT_TRUE(WriteTestFile(folder + "\\full\\file.txt", "one"));
  EXPECT_EQ(platform::kErrorDirNotEmpty, platform::RemoveFolder(folder + "\\full"));
  EXPECT_EQ(platform::kErrorDirectory, platform::RemoveFolder(folder + "\\full\\file.txt"));
  EXPECT_EQ(platform::kErrorFileNotFound, platform::RemoveFolder(folder + "\\gone"));
  EXPECT_EQ(platform::kErrorSuccess, platform::RemoveFolder(folder + "\\full\\sub"));
  EXPECT_FALSE(PathExists(folder + "\\full\\sub"));

  ASSERT_TRUE(WriteTestFile(folder + "\\copy.txt", "old and longer"));
  EXPECT_EQ(platform::kErrorSuccess,
            platform::CopyFileReplacing(folder + "\\full\\file.txt", folder + "\\copy.txt"));
  EXPECT_EQ("one", ReadTestFile(folder + "\\copy.txt"));
  EXPECT_EQ(platform::kErrorFileNotFound,
            platform::CopyFileReplacing(folder + "\\gone.txt", folder + "\\copy.txt"));

  EXPECT_TRUE(platform::CanOpenForReading(folder + "\\copy.txt"));
  EXPECT_FALSE(platform::CanOpenForReading(folder + "\\full"));
  EXPECT_FALSE(platform::CanOpenForReading(folder + "\\gone.txt"));
}

TEST_F(FileSystemTest, SearchFindsSystemFilesAndChecksNamedPaths) {
  std::string system;
  ASSERT_TRUE(platform::QuerySystemFolder(system));
  const std::string name = "varnik-search-" + std::to_string(platform::CurrentProcessId()) + ".dll";
  ASSERT_TRUE(WriteTestFile(system + "\\" + name, "x"));
  std::string found;
  EXPECT_EQ(platform::kErrorSuccess, platform::SearchForFile("", name, found));
  EXPECT_TRUE(platform::OrdinalEqualsNoCase(system + "\\" + name, found)) << found;
  platform::DeletePath(system + "\\" + name);
  EXPECT_EQ(platform::kErrorFileNotFound, platform::SearchForFile("", name, found));

  const std::string named = machine_.ScratchFolder() + "\\named.txt";
  ASSERT_TRUE(WriteTestFile(named, "x"));
  EXPECT_EQ(platform::kErrorSuccess, platform::SearchForFile("", named, found));
  EXPECT_EQ(named, found);
  // The answer must fit 260 characters.
  const std::string deep = machine_.ScratchFolder() + "\\" + std::string(200, 'd');
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents("\\\\?\\" + deep));
  ASSERT_TRUE(WriteTestFile("\\\\?\\" + deep + "\\" + std::string(70, 'f'), "x"));
  EXPECT_NE(platform::kErrorSuccess,
            platform::SearchForFile("", deep + "\\" + std::string(70, 'f'), found));
}

// A link is reported, deleted and removed as itself; its target stays.
TEST_F(FileSystemTest, LinksAreNeverLookedThrough) {
  const std::string folder = machine_.ScratchFolder();
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder + "\\target"));
  ASSERT_TRUE(WriteTestFile(folder + "\\target\\kept.txt", "kept"));
  if (!MakeFolderLink(folder + "\\link", folder + "\\target"))
    GTEST_SKIP() << "this system makes neither symbolic links nor junctions";

  uint32_t attributes = 0;
  ASSERT_TRUE(platform::ReadPathAttributes(folder + "\\link", attributes));
  EXPECT_EQ(platform::kFileAttributeReparsePoint | platform::kFileAttributeDirectory,
            attributes & (platform::kFileAttributeReparsePoint | platform::kFileAttributeDirectory));
  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::kErrorSuccess, platform::FindEntries(folder + "\\li*", entries));
  ASSERT_EQ(1u, entries.size());
  EXPECT_TRUE(entries[0].attributes & platform::kFileAttributeReparsePoint);

  EXPECT_EQ(platform::kErrorAccessDenied, platform::DeletePath(folder + "\\link"));
  EXPECT_EQ(platform::kErrorSuccess, platform::RemoveFolder(folder + "\\link"));
  EXPECT_FALSE(PathExists(folder + "\\link"));
  EXPECT_EQ("kept", ReadTestFile(folder + "\\target\\kept.txt"));
}

}  // namespace
