// The OS verdict and the rights message under the Windows versions a 64-bit
// Wine prefix can pretend to be. Wine reads an application's version from
// HKCU\Software\Wine\AppDefaults\<exe>\Version when the process starts, so
// each version runs the helper in a process of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "install/ProcessRunner.h"
#include "platform/Registry.h"
#include "scratch_registry_key.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

class OsVersionsTest : public MachineTest {
 protected:
  // The helper's lines: verdict, message, then the OS check's log lines.
  std::vector<std::string> RunAs(const std::string& version) {
    const std::string helper = FromBuildMachine(VARNIK_OS_CHECK_HELPER);
    const std::string exe = std::filesystem::path(helper).filename().string();
    ScratchRegistryKey appDefaults(platform::RegistryRoot::CurrentUser,
                                   "Software\\Wine\\AppDefaults\\" + exe);
    platform::RegistryKey key;
    EXPECT_EQ(platform::kErrorSuccess,
              platform::RegistryKey::Create(appDefaults.Root(), appDefaults.Path(), key));
    EXPECT_EQ(platform::kErrorSuccess, key.WriteString("Version", version));

    const std::string out = machine_.ScratchFolder() + "\\" + version + ".txt";
    uint32_t exitCode = 1;
    EXPECT_TRUE(runExeAndWait(helper, exitCode, "\"" + out + "\"", 120000, true));
    EXPECT_EQ(0u, exitCode);
    std::vector<std::string> lines;
    std::istringstream text(ReadTestFile(out));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
};

using Lines = std::vector<std::string>;

TEST_F(OsVersionsTest, VerdictsAndMessagesOfTheVersionsWineOffers) {
  struct Row {
    const char* version;
    Lines expected;   // verdict, then the log lines
    Lines messages;   // either, as the token is filtered or not
  };
  const Row rows[] = {
      {"win10", {"supported", "OS version is Windows 10 (or above) which is supported."},
       {"#128", "#127"}},
      {"win81", {"refused"}, {"#128", "#127"}},
      {"win7", {"supported", "OS version is Windows 7", "Service pack level is SP1+"},
       {"#120", "#121"}},
      {"win2008r2", {"refused", "OS version is Windows 2008 family which is not supported."},
       {"#120", "#121"}},
      {"vista", {"refused"}, {"#120", "#121"}},
      {"win2008", {"refused", "OS version is Windows 2008 family which is not supported."},
       {"#120", "#121"}},
      {"win2003", {"refused"}, {"#113"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version);
    Lines lines = RunAs(row.version);
    ASSERT_GE(lines.size(), 2u);
    const std::string message = lines[1];
    lines.erase(lines.begin() + 1);
    EXPECT_EQ(row.expected, lines);
    EXPECT_TRUE(message == row.messages.front() || message == row.messages.back()) << message;
  }
}

}  // namespace
