#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "fixture_files.h"
#include "install/ProcessRunner.h"
#include "platform/FileSystem.h"
#include "test_machine.h"

namespace {

class ProcessRunnerTest : public MachineTest {
 protected:
  void SetUp() override {
    // The helper runs from a folder of the test's machine whose name needs
    // the quotes the runner puts around the program.
    folder_ = machine_.ScratchFolder() + "\\my tools";
    ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder_));
    const std::filesystem::path built(FromBuildMachine(VARNIK_PROCESS_HELPER));
    program_ = folder_ + "\\" + built.filename().string();
    std::error_code error;
    std::filesystem::copy_file(built, platform::ToNativePath(program_), error);
    ASSERT_FALSE(error) << error.message();
  }

  // What the helper's echo wrote: its working folder, then its arguments.
  std::vector<std::string> Echoed() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadTestFile(folder_ + "\\echo.txt"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  std::string folder_;
  std::string program_;
};

TEST_F(ProcessRunnerTest, ReportsTheExitCodeAndLogsTheRun) {
  DebugOutputCapture log;
  uint32_t exitCode = 99;
  EXPECT_TRUE(runExeAndWait(program_, exitCode, "exit 7", platform::kInfiniteWait, false));
  EXPECT_EQ(7u, exitCode);
  EXPECT_TRUE(runExeAndWait(program_, exitCode, "exit 0", 20000, true));
  EXPECT_EQ(0u, exitCode);
  EXPECT_TRUE(log.Mentions("Run: " + program_ + " Arguments: exit 7 Hidden: false"));
  EXPECT_TRUE(log.Mentions("Run: " + program_ + " Arguments: exit 0 Hidden: true"));
}

TEST_F(ProcessRunnerTest, ChildSeesItsArgumentsAsAWindowsProgramDoes) {
  uint32_t exitCode = 99;
  ASSERT_TRUE(runExeAndWait(program_, exitCode,
                            "echo echo.txt plain \"two words\"  \ttab "
                            "\"C:\\Program Files\\x\\\\\" back\\slash a\\\\\\\"b "
                            "\"\" say\\\"hi\\\" mid\"dle quo\"ted",
                            platform::kInfiniteWait, false));
  ASSERT_EQ(0u, exitCode);
  const std::vector<std::string> expected = {
      "[plain]",  "[two words]", "[tab]",       "[C:\\Program Files\\x\\]", "[back\\slash]",
      "[a\\\"b]", "[]",          "[say\"hi\"]", "[middle quoted]"};
  std::vector<std::string> lines = Echoed();
  ASSERT_FALSE(lines.empty());
  // The echo file lies in the program's folder: that was the working folder.
  EXPECT_EQ(std::filesystem::path(platform::ToNativePath(folder_)),
            std::filesystem::path(lines.front()));
  lines.erase(lines.begin());
  EXPECT_EQ(expected, lines);
}

TEST_F(ProcessRunnerTest, TimeOutLeavesTheProgramRunningAndAnswersStillActive) {
  uint32_t exitCode = 99;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(runExeAndWait(program_, exitCode, "sleep 4000", 200, true));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(platform::kStillActive, exitCode);
  EXPECT_LT(waited, std::chrono::milliseconds(3000));
}

TEST_F(ProcessRunnerTest, ProgramThatCannotStartLeavesTheExitCodeAlone) {
  uint32_t exitCode = 12345;
  EXPECT_FALSE(runExeAndWait(folder_ + "\\missing.exe", exitCode, "exit 1", 5000, false));
  EXPECT_EQ(12345u, exitCode);
  // A text file is no program either.
  ASSERT_TRUE(WriteTestFile(folder_ + "\\notes.exe", "not a program"));
  EXPECT_FALSE(runExeAndWait(folder_ + "\\notes.exe", exitCode, "", 5000, false));
  EXPECT_EQ(12345u, exitCode);
}

}  // namespace
