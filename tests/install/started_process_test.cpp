// A program started to run beside the loader: waited for, its exit code
// read, ended; and on posix the rule that makes a file a program.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "fixture_files.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/ProcessLauncher.h"
#include "test_machine.h"

namespace {

class StartedProcessTest : public MachineTest {
 protected:
  void SetUp() override {
    folder_ = machine_.ScratchFolder() + "\\client folder";
    ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder_));
    const std::filesystem::path built(FromBuildMachine(VARNIK_PROCESS_HELPER));
    program_ = folder_ + "\\" + built.filename().string();
    ASSERT_TRUE(WriteTestFile(program_, ReadTestFile(built.string())));
  }

  std::string Quoted(const std::string& path) const { return "\"" + path + "\""; }

  std::string folder_;
  std::string program_;
  platform::StartedProcess process_;
};

TEST_F(StartedProcessTest, RunsInItsFolderWithTheCommandLineAndReportsItsEnd) {
  ASSERT_TRUE(process_.Start(program_, Quoted(program_) + " echo echo.txt a=\"b c\"", folder_));
  EXPECT_TRUE(process_.IsHeld());
  ASSERT_TRUE(process_.WaitForExit(20000));
  uint32_t exitCode = 99;
  ASSERT_TRUE(process_.ReadExitCode(exitCode));
  EXPECT_EQ(0u, exitCode);
  std::istringstream echoed(ReadTestFile(folder_ + "\\echo.txt"));
  std::string workingFolder, argument;
  std::getline(echoed, workingFolder);
  std::getline(echoed, argument);
  EXPECT_EQ(std::filesystem::path(platform::ToNativePath(folder_)),
            std::filesystem::path(workingFolder));
  EXPECT_EQ("[a=b c]", argument);
  process_.Release();
  EXPECT_FALSE(process_.IsHeld());
  EXPECT_FALSE(process_.ReadExitCode(exitCode));
}

TEST_F(StartedProcessTest, OneStillRunningIsEndedWithTheCodeGiven) {
  ASSERT_TRUE(process_.Start(program_, Quoted(program_) + " sleep 60000", folder_));
  EXPECT_FALSE(process_.WaitForExit(50));
  uint32_t exitCode = 0;
  ASSERT_TRUE(process_.ReadExitCode(exitCode));
  EXPECT_EQ(platform::kStillActive, exitCode);
  ASSERT_TRUE(process_.Terminate(3));
  ASSERT_TRUE(process_.WaitForExit(20000));
  ASSERT_TRUE(process_.ReadExitCode(exitCode));
  EXPECT_EQ(3u, exitCode);
  // An ended process keeps the code it ended with.
  process_.Terminate(4);
  ASSERT_TRUE(process_.ReadExitCode(exitCode));
  EXPECT_EQ(3u, exitCode);
}

TEST_F(StartedProcessTest, AMissingProgramIsNotStarted) {
  const std::string missing = folder_ + "\\missing.exe";
  EXPECT_FALSE(process_.Start(missing, Quoted(missing), folder_));
  EXPECT_EQ(platform::kErrorFileNotFound, platform::LastErrorCode());
  EXPECT_FALSE(process_.IsHeld());
}

TEST_F(StartedProcessTest, OnPosixOnlyNativeProgramsRunAndTheyNeedNoExecutePermission) {
#ifdef _WIN32
  GTEST_SKIP() << "the launch rule of native programs is the posix port's";
#else
  // Unpacked from a cabinet: no execute permission.
  std::filesystem::permissions(platform::ToNativePath(program_),
                               std::filesystem::perms::owner_read |
                                   std::filesystem::perms::group_read);
  ASSERT_TRUE(process_.Start(program_, Quoted(program_) + " exit 4", folder_));
  ASSERT_TRUE(process_.WaitForExit(20000));
  uint32_t exitCode = 0;
  ASSERT_TRUE(process_.ReadExitCode(exitCode));
  EXPECT_EQ(4u, exitCode);
  const auto permissions = std::filesystem::status(platform::ToNativePath(program_)).permissions();
  EXPECT_EQ(std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec,
            permissions & std::filesystem::perms::all & ~std::filesystem::perms::owner_read &
                ~std::filesystem::perms::group_read);

  const std::string script = folder_ + "\\client.sh";
  ASSERT_TRUE(WriteTestFile(script, "#!/bin/sh\necho \"$1\" > script.txt\n"));
  ASSERT_TRUE(process_.Start(script, Quoted(script) + " \"from script\"", folder_));
  ASSERT_TRUE(process_.WaitForExit(20000));
  EXPECT_EQ("from script\n", ReadTestFile(folder_ + "\\script.txt"));

  for (const std::string& content : {std::string("MZ\x90\0\x03\0\0\0", 8), std::string("echo hi\n")}) {
    const std::string other = folder_ + "\\other.exe";
    ASSERT_TRUE(WriteTestFile(other, content));
    EXPECT_FALSE(process_.Start(other, Quoted(other), folder_));
    EXPECT_EQ(platform::kErrorBadExeFormat, platform::LastErrorCode());
  }
#endif
}

}  // namespace
