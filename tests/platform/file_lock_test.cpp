// The lock between processes and the atomic file write, answered alike by
// both ports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/AtomicFileWrite.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

using platform::FileLock;
using platform::FileLockMode;
using FileLockTest = MachineTest;

TEST_F(FileLockTest, ExclusiveHolderKeepsOthersOutUntilItLetsGo) {
  const std::string path = machine_.ScratchFolder() + "\\Deployments.ini.lock";
  FileLock first;
  ASSERT_EQ(platform::kErrorSuccess, first.Acquire(path, FileLockMode::Exclusive, 0));
  EXPECT_TRUE(PathExists(path));

  FileLock second;
  EXPECT_EQ(platform::kErrorTimeout, second.Acquire(path, FileLockMode::Exclusive, 50));
  EXPECT_EQ(platform::kErrorTimeout, second.Acquire(path, FileLockMode::Shared, 0));
  EXPECT_FALSE(second.IsHeld());
  first.Release();
  EXPECT_EQ(platform::kErrorSuccess, second.Acquire(path, FileLockMode::Shared, 0));

  // Readers share; a writer waits for all of them.
  FileLock third;
  EXPECT_EQ(platform::kErrorSuccess, third.Acquire(path, FileLockMode::Shared, 0));
  EXPECT_EQ(platform::kErrorTimeout, first.Acquire(path, FileLockMode::Exclusive, 0));
  second.Release();
  third.Release();
  EXPECT_EQ(platform::kErrorSuccess,
            first.Acquire(path, FileLockMode::Exclusive, platform::kInfiniteWait));

  EXPECT_EQ(platform::kErrorPathNotFound,
            second.Acquire(machine_.ScratchFolder() + "\\missing\\x.lock",
                           FileLockMode::Exclusive, 0));
}

TEST_F(FileLockTest, AtomicWriteReplacesWholeOrNotAtAll) {
  const std::string folder = machine_.ScratchFolder();
  const std::string path = folder + "\\file.ini";
  EXPECT_EQ(platform::kErrorSuccess, platform::WriteFileAtomically(path, "first"));
  EXPECT_EQ(platform::kErrorSuccess, platform::WriteFileAtomically(path, "second, longer"));
  EXPECT_EQ("second, longer", ReadTestFile(path));
  EXPECT_EQ(platform::kErrorSuccess, platform::WriteFileAtomically(path, ""));
  EXPECT_EQ("", ReadTestFile(path));

  uint32_t notApplied = 0;
  ASSERT_TRUE(platform::SetPathAttributes(path, platform::kFileAttributeReadOnly, notApplied));
  EXPECT_EQ(platform::kErrorAccessDenied, platform::WriteFileAtomically(path, "refused"));
  ASSERT_TRUE(platform::SetPathAttributes(path, platform::kFileAttributeNormal, notApplied));
  EXPECT_EQ("", ReadTestFile(path));

  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder + "\\sub"));
  EXPECT_EQ(platform::kErrorAccessDenied, platform::WriteFileAtomically(folder + "\\sub", "x"));
  EXPECT_EQ(platform::kErrorPathNotFound,
            platform::WriteFileAtomically(folder + "\\missing\\file.ini", "x"));

  // No new file is left behind, whatever the outcome.
  std::vector<platform::FoundEntry> entries;
  platform::FindEntries(folder + "\\*", entries);
  EXPECT_EQ(2u, entries.size());
}

}  // namespace
