// The win32 port's wait for a started process: a failed wait is told apart
// from a time-out.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/process_wait_win.h"

namespace {

struct Handle {
  HANDLE value = nullptr;
  ~Handle() {
    if (value) CloseHandle(value);
  }
};

TEST(ProcessWaitTest, FailedWaitIsNoTimeOut) {
  // This test program, started suspended: it runs until it is ended.
  char self[MAX_PATH] = {};
  ASSERT_NE(0u, GetModuleFileNameA(nullptr, self, MAX_PATH));
  std::vector<char> commandLine(self, self + std::strlen(self) + 1);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(self, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                             nullptr, nullptr, &startup, &info));
  Handle process{info.hProcess};
  Handle thread{info.hThread};

  // A handle that may read the exit code but not wait.
  Handle queryOnly;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), process.value, GetCurrentProcess(),
                              &queryOnly.value, PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0));
  uint32_t exitCode = 12345;
  EXPECT_EQ(platform::ProcessRunResult::ExitCodeUnavailable,
            platform::win32::WaitForExitCode(queryOnly.value, 10, exitCode));
  EXPECT_EQ(12345u, exitCode);

  EXPECT_EQ(platform::ProcessRunResult::ExitCodeRead,
            platform::win32::WaitForExitCode(process.value, 10, exitCode));
  EXPECT_EQ(platform::kStillActive, exitCode);

  ASSERT_TRUE(TerminateProcess(process.value, 7));
  EXPECT_EQ(platform::ProcessRunResult::ExitCodeRead,
            platform::win32::WaitForExitCode(process.value, platform::kInfiniteWait, exitCode));
  EXPECT_EQ(7u, exitCode);
}

}  // namespace
