// The OS verdict and the rights message under the Windows versions a 64-bit
// Wine prefix can pretend to be. Wine reads an application's version from
// HKCU\Software\Wine\AppDefaults\<exe>\Version when the process starts, so
// each version runs the helper in a process of its own. The facts each
// version shows are Wine's to choose (its 6.1 workstation and server have
// been seen the other way round), so each run is judged by the row of the
// facts it reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "install/ProcessRunner.h"
#include "os_verdict_rows.h"
#include "platform/Registry.h"
#include "scratch_registry_key.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

struct HelperRun {
  std::string verdict, message;
  unsigned major = 0, minor = 0, product = 0, servicePack = 0;
  std::vector<std::string> lines;
};

class OsVersionsTest : public MachineTest {
 protected:
  HelperRun RunAs(const std::string& version) {
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
    HelperRun run;
    std::istringstream text(ReadTestFile(out));
    std::getline(text, run.verdict);
    std::getline(text, run.message);
    std::string facts;
    std::getline(text, facts);
    std::istringstream(facts) >> run.major >> run.minor >> run.product >> run.servicePack;
    for (std::string line; std::getline(text, line);) run.lines.push_back(line);
    return run;
  }
};

TEST_F(OsVersionsTest, EachVersionGetsTheVerdictAndMessageOfItsRow) {
  std::set<const OsVerdictRow*> covered;
  for (const char* version :
       {"win10", "win81", "win8", "win7", "win2008r2", "vista", "win2008", "win2003"}) {
    SCOPED_TRACE(version);
    const HelperRun run = RunAs(version);
    const OsVerdictRow* row = FindOsVerdictRow(run.major, run.minor, run.product, run.servicePack);
    ASSERT_NE(nullptr, row) << run.major << "." << run.minor << " type " << run.product;
    covered.insert(row);
    EXPECT_EQ(row->verdict ? "supported" : "refused", run.verdict);
    EXPECT_EQ(row->lines, run.lines);
    // Before Windows 6 the plain administrator text; then the UAC texts,
    // from 6.2 on those that name Internet Explorer; each in its plain or
    // filtered-token form.
    std::set<std::string> messages = {"#113"};
    if (run.major >= 6) {
      const bool eight = run.major > 6 || run.minor >= 2;
      messages = eight ? std::set<std::string>{"#128", "#127"}
                       : std::set<std::string>{"#120", "#121"};
    }
    EXPECT_TRUE(messages.count(run.message)) << run.message;
  }
  // Windows 10 and 7 accepted, 8.1 and Vista refused silently, the 2008
  // family named, 2003 refused.
  EXPECT_GE(covered.size(), 6u);
}

}  // namespace
