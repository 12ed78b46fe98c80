#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "debug_output_capture.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/SystemFacts.h"
#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "scratch_registry_key.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

using platform::RegistryRoot;

constexpr char kSettingsKey[] = "Software\\Nordak Labs\\Trialdesk\\WEB_CLNT_DEBUG";

// Splits on CR LF; a bare LF or CR would be a line-end fault.
std::vector<std::string> ReadLines(const std::string& path) {
  const std::string content = ReadTestFile(path);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    const size_t end = content.find("\r\n", start);
    EXPECT_NE(std::string::npos, end) << "last line without CR LF";
    if (end == std::string::npos) break;
    const std::string line = content.substr(start, end - start);
    EXPECT_EQ(std::string::npos, line.find_first_of("\r\n")) << line;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

std::string ReportPattern(const std::string& level, const std::string& location,
                          const std::string& message) {
  std::string paddedLevel = level + std::string(8 - level.size(), ' ');
  std::string paddedLocation = location.substr(0, 64);
  paddedLocation += std::string(64 - paddedLocation.size(), ' ');
  auto escape = [](const std::string& text) {
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
  };
  return R"(^ \d\d:\d\d:\d\d:\d\d\d\t\d+\t\[)" + escape(paddedLevel) + R"(\]\t\[)" +
         escape(paddedLocation) + R"(\]\t)" + escape(message) + "$";
}

class SimpleLoggerTest : public MachineTest {
 protected:
  void SetUp() override {
    logFolder_ = machine_.ScratchFolder() + "\\logs";
    ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(logFolder_));
  }

  static void WriteSetting(RegistryRoot root, const char* name, const std::string& value) {
    platform::RegistryKey key;
    ASSERT_EQ(platform::kErrorSuccess, platform::RegistryKey::Create(root, kSettingsKey, key));
    ASSERT_EQ(platform::kErrorSuccess, key.WriteString(name, value));
  }

  void SwitchFileLoggingOn() {
    WriteSetting(RegistryRoot::CurrentUser, "MASK", "All");
    WriteSetting(RegistryRoot::CurrentUser, "PATH", logFolder_);
  }

  // This process's log files only: under Wine every test binary that runs
  // meanwhile shares the registry, so it may log into the folder too.
  std::vector<platform::FoundEntry> LogFiles() const {
    std::vector<platform::FoundEntry> entries;
    platform::FindEntries(logFolder_ + "\\loader_" + std::to_string(platform::CurrentProcessId()) + "_*", entries);
    return entries;
  }

  ScratchRegistryKey userSettings_{RegistryRoot::CurrentUser, kSettingsKey};
  ScratchRegistryKey machineSettings_{RegistryRoot::LocalMachine, kSettingsKey};
  std::string logFolder_;
};

TEST_F(SimpleLoggerTest, WritesHeaderAndReportLinesToANamedFile) {
  SwitchFileLoggingOn();
  DebugOutputCapture debug;
  SimpleLogger* logger = SimpleLogger::GetInstance();
  ASSERT_TRUE(logger->IsActive());
  logger->Info("CLoader::ExtractCab", "extracting\r\ntwo lines");
  logger->Error(std::string(70, 'L'), "cut location");

  const std::string expectedPath = logFolder_ + "\\" + SimpleLogger::MakeLogFileName();
  EXPECT_TRUE(debug.Contains("ZEL Loader logger - request for logs under >" + logFolder_));
  EXPECT_TRUE(debug.Contains("Logger is active under:" + logger->FilePath()));
  EXPECT_TRUE(debug.Contains("ZEL\tINFO\tCLoader::ExtractCab\textractingtwo lines\t"));

  const std::string name = logger->FilePath().substr(logFolder_.size() + 1);
  EXPECT_TRUE(std::regex_match(
      name, std::regex(Format("loader_%u_\\d\\d-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d\\.txt",
                              platform::CurrentProcessId()))))
      << name;

  const std::vector<std::string> lines = ReadLines(logger->FilePath());
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("ZEL PLATFORM LOADER version:" + GetLoaderVersion(), lines[0]);
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(ReportPattern("INFO", "CLoader::ExtractCab",
                                                                  "extractingtwo lines"))))
      << lines[1];
  EXPECT_TRUE(std::regex_match(
      lines[2], std::regex(ReportPattern("ERROR", std::string(64, 'L'), "cut location"))))
      << lines[2];
  EXPECT_EQ(1u, LogFiles().size());
}

TEST_F(SimpleLoggerTest, MaskDecidesWithCaseSensitiveNoneAndMustBeText) {
  WriteSetting(RegistryRoot::CurrentUser, "MASK", "None");
  WriteSetting(RegistryRoot::CurrentUser, "PATH", logFolder_);
  {
    DebugOutputCapture debug;
    SimpleLogger* logger = SimpleLogger::GetInstance();
    EXPECT_FALSE(logger->IsActive());
    logger->Info("here", "still sent to the debugger");
    EXPECT_TRUE(debug.Contains("ZEL Loader logger - [MASK] is not set or set to None."));
    EXPECT_TRUE(debug.Contains("ZEL\tINFO\there\tstill sent to the debugger\t"));
  }
  EXPECT_TRUE(LogFiles().empty());

  SimpleLogger::ReleaseInstance();
  WriteSetting(RegistryRoot::CurrentUser, "MASK", "none");
  EXPECT_TRUE(SimpleLogger::GetInstance()->IsActive());

  // A MASK of another type counts as not set.
  SimpleLogger::ReleaseInstance();
  platform::RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(RegistryRoot::CurrentUser, kSettingsKey, key));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteDword("MASK", 1));
  EXPECT_FALSE(SimpleLogger::GetInstance()->IsActive());
}

TEST_F(SimpleLoggerTest, PathProblemsLeaveFileLoggingOff) {
  WriteSetting(RegistryRoot::CurrentUser, "MASK", "All");
  {
    DebugOutputCapture debug;
    EXPECT_FALSE(SimpleLogger::GetInstance()->IsActive());
    EXPECT_TRUE(debug.Contains("ZEL Loader logger - [PATH] is not set"));
  }
  SimpleLogger::ReleaseInstance();

  WriteSetting(RegistryRoot::CurrentUser, "PATH", "");
  {
    DebugOutputCapture debug;
    EXPECT_FALSE(SimpleLogger::GetInstance()->IsActive());
    EXPECT_TRUE(debug.Contains("ZEL Loader logger - request for logs under >"));
  }
  SimpleLogger::ReleaseInstance();

  const std::string missing = logFolder_ + "\\missing";
  WriteSetting(RegistryRoot::CurrentUser, "PATH", missing);
  EXPECT_FALSE(SimpleLogger::GetInstance()->IsActive());
  SimpleLogger::GetInstance()->Info("here", "nothing on disk");
  EXPECT_FALSE(FileExists(missing)) << "the logger must not create its folder";
}

TEST_F(SimpleLoggerTest, MachineSettingsCountOnlyWithoutAUserKey) {
  WriteSetting(RegistryRoot::LocalMachine, "MASK", "All");
  WriteSetting(RegistryRoot::LocalMachine, "PATH", logFolder_);
  EXPECT_TRUE(SimpleLogger::GetInstance()->IsActive());
  SimpleLogger::ReleaseInstance();

  // A user key without MASK hides the machine's full setting.
  WriteSetting(RegistryRoot::CurrentUser, "PATH", logFolder_);
  EXPECT_FALSE(SimpleLogger::GetInstance()->IsActive());
}

TEST_F(SimpleLoggerTest, CloseReopensTheSameFileAndReleaseStartsAFreshLogger) {
  SwitchFileLoggingOn();
  SimpleLogger* logger = SimpleLogger::GetInstance();
  logger->Info("before", "close");
  DebugOutputCapture debug;
  logger->CloseFile();
  EXPECT_TRUE(debug.Contains("SimpleLogger - log file closed."));
  logger->CloseFile();  // closing twice is harmless
  logger->Info("after", "close");
  EXPECT_EQ(3u, ReadLines(logger->FilePath()).size());
  EXPECT_EQ(1u, LogFiles().size());

  SimpleLogger::ReleaseInstance();
  EXPECT_TRUE(debug.Contains("SimpleLogger - logger released"));
  SimpleLogger::GetInstance()->Info("after", "release");
  // The new logger writes its own header, into a new file or, within the
  // same second, appended to the same one.
  int headers = 0;
  int reports = 0;
  for (const platform::FoundEntry& entry : LogFiles()) {
    for (const std::string& line : ReadLines(logFolder_ + "\\" + entry.name)) {
      ++(line.rfind("ZEL PLATFORM LOADER version:", 0) == 0 ? headers : reports);
    }
  }
  EXPECT_EQ(2, headers);
  EXPECT_EQ(3, reports);
}

TEST_F(SimpleLoggerTest, ConcurrentReportsNeverInterleave) {
  SwitchFileLoggingOn();
  constexpr int kThreads = 4;
  constexpr int kLinesEach = 250;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLinesEach; ++i)
        SimpleLogger::GetInstance()->Info(Format("thread%d", t), Format("line %d of %d", i, t));
    });
  }
  // Closing from another thread while they write must not lose or break a line.
  for (int i = 0; i < 20; ++i) SimpleLogger::GetInstance()->CloseFile();
  for (std::thread& thread : threads) thread.join();

  const std::vector<std::string> lines = ReadLines(SimpleLogger::GetInstance()->FilePath());
  ASSERT_EQ(1u + kThreads * kLinesEach, lines.size());
  std::vector<int> next(kThreads, 0);
  const std::regex report(R"(^ \d\d:\d\d:\d\d:\d\d\d\t\d+\t\[INFO    \]\t\[thread(\d) +\]\tline (\d+) of (\d)$)");
  for (size_t i = 1; i < lines.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[i], match, report)) << lines[i];
    const int thread = std::stoi(match[1]);
    ASSERT_EQ(thread, std::stoi(match[3]));
    EXPECT_EQ(next[thread]++, std::stoi(match[2])) << "lines of one thread out of order";
  }
}

TEST_F(SimpleLoggerTest, ReleaseWhileOtherThreadsReportFreesNothingTheyHold) {
  SwitchFileLoggingOn();
  DebugOutputCapture debug;
  constexpr int kThreads = 3;
  constexpr int kReportsPerHold = 10;
  std::atomic<bool> stop{false};
  std::atomic<int> reports{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!stop) {
        // Callers keep the pointer for a while, as a function that reports
        // several times does.
        SimpleLogger* logger = SimpleLogger::GetInstance();
        for (int i = 0; i < kReportsPerHold; ++i) {
          logger->Info(Format("holder%d", t), "still reporting");
          ++reports;
        }
      }
    });
  }
  // Each release comes while the holders are busy reporting.
  for (int i = 0; i < 100; ++i) {
    const int before = reports;
    while (reports < before + kThreads * kReportsPerHold) std::this_thread::yield();
    SimpleLogger::ReleaseInstance();
  }
  stop = true;
  for (std::thread& thread : threads) thread.join();

  // Every report reached the debugger, whether its logger had been released
  // or not, and every line that reached a file is whole.
  int delivered = 0;
  for (const std::string& line : debug.Lines())
    delivered += line.rfind("ZEL\tINFO\tholder", 0) == 0 ? 1 : 0;
  EXPECT_EQ(reports.load(), delivered);
  const std::regex report(R"(^ \d\d:\d\d:\d\d:\d\d\d\t\d+\t\[INFO    \]\t\[holder\d +\]\tstill reporting$)");
  for (const platform::FoundEntry& entry : LogFiles()) {
    for (const std::string& line : ReadLines(logFolder_ + "\\" + entry.name)) {
      if (line.rfind("ZEL PLATFORM LOADER version:", 0) == 0) continue;
      ASSERT_TRUE(std::regex_match(line, report)) << line;
    }
  }
}

}  // namespace
