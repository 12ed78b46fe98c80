// The .NET Framework and Windows Installer checks against a registry and a
// system folder set up by the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "environment/RuntimePrerequisites.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"
#include "scratch_registry_key.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

constexpr char kNdp[] = "SOFTWARE\\Microsoft\\NET Framework setup\\NDP";

class FrameworkTest : public MachineTest {
 protected:
  FrameworkTest() : ndp_(platform::RegistryRoot::LocalMachine, kNdp), checks_(settings_) {}

  platform::RegistryKey Key(const std::string& below) {
    platform::RegistryKey key;
    EXPECT_EQ(platform::kErrorSuccess,
              platform::RegistryKey::Create(platform::RegistryRoot::LocalMachine,
                                            std::string(kNdp) + "\\" + below, key));
    return key;
  }

  // v2.0.50727 with SP 2, v4 with Full\Release 500, and two that count for
  // nothing: a key not named "v..." and a framework not installed.
  void RegisterFrameworks() {
    Key("v2.0.50727").WriteDword("Install", 1);
    Key("v2.0.50727").WriteDword("SP", 2);
    Key("v4\\Full").WriteDword("Install", 1);
    Key("v4\\Full").WriteDword("Release", 500);
    Key("CDF\\v4.0").WriteDword("Install", 1);
    Key("v3.0").WriteDword("Install", 0);
  }

  bool Logged(const std::string& message) const {
    return debug_.Contains("ZEL\tINFO\tCLoader::CheckNetFrameworkExists\t" + message + "\t");
  }

  size_t ResultLines() const {
    size_t count = 0;
    for (const std::string& line : debug_.Lines())
      count += line.find("CheckNetFrameworkExists returns") != std::string::npos;
    return count;
  }

  ScratchRegistryKey ndp_;
  EnvironmentSettingsValues settings_;
  RuntimePrerequisites checks_;
  DebugOutputCapture debug_;
};

TEST_F(FrameworkTest, ListsInstalledFrameworksWithTheirLevels) {
  std::vector<std::string> names{"stale"}, levels{"stale"};
  EXPECT_FALSE(getDotNetFrameworks(names, levels));  // no NDP key
  EXPECT_TRUE(names.empty() && levels.empty());

  RegisterFrameworks();
  ASSERT_TRUE(getDotNetFrameworks(names, levels));
  EXPECT_EQ((std::vector<std::string>{"v2.0.50727", "v4"}), names);
  EXPECT_EQ((std::vector<std::string>{"2", "500"}), levels);
  EXPECT_TRUE(debug_.Contains("ZEL\tINFO\tgetDotNetFrameworks\tRelease = 500\t"));

  // A release that is no number falls back to the Full key's SP.
  Key("v4\\Full").WriteString("Release", "500");
  Key("v4\\Full").WriteDword("SP", 7);
  ASSERT_TRUE(getDotNetFrameworks(names, levels));
  EXPECT_EQ((std::vector<std::string>{"2", "7"}), levels);
  EXPECT_TRUE(debug_.Contains("ZEL\tINFO\tgetDotNetFrameworks\trelease not found\t"));
}

TEST_F(FrameworkTest, NamesAndLevelsCompareAsText) {
  EXPECT_FALSE(checks_.CheckNetFrameworkExists("v4", "400"));  // no NDP key
  EXPECT_TRUE(Logged("CheckNetFrameworkExists returns (BOOL)'0'"));

  RegisterFrameworks();
  EXPECT_TRUE(checks_.CheckNetFrameworkExists("v4", "400"));
  EXPECT_TRUE(Logged("ForceDownload='v4', NETSP='400'"));
  EXPECT_TRUE(Logged("CheckNetFrameworkExists returns (BOOL)'1'"));
  EXPECT_FALSE(checks_.CheckNetFrameworkExists("V4", "501"));
  // "378" sorts before "92".
  Key("v4\\Full").WriteDword("Release", 378);
  EXPECT_FALSE(checks_.CheckNetFrameworkExists("v4", "92"));

  // A later framework satisfies at once, without the result line.
  const size_t resultLines = ResultLines();
  EXPECT_TRUE(checks_.CheckNetFrameworkExists("v3.5", "1"));
  EXPECT_EQ(resultLines, ResultLines());
  EXPECT_FALSE(checks_.CheckNetFrameworkExists("v5", "0"));
}

TEST_F(FrameworkTest, SkippedChecksReportPresence) {
  settings_.skipPreReqCheck = true;
  EXPECT_TRUE(checks_.CheckNetFrameworkExists("v9", "9"));
  EXPECT_TRUE(checks_.CheckWIndowsInstallerExists());
  EXPECT_TRUE(Logged(".NET framework check skipped"));
  EXPECT_TRUE(debug_.Contains(
      "ZEL\tINFO\tCLoader::CheckWIndowsInstallerExists\tWindows Installer check skipped\t"));
}

class InstallerTest : public MachineTest {
 protected:
  InstallerTest() : checks_(settings_) {}
  EnvironmentSettingsValues settings_;
  RuntimePrerequisites checks_;
};

TEST_F(InstallerTest, Version3OfMsiIsTheThreshold) {
  if (!TestMachine::IsConfigurable()) {
    // Wine brings a msi.dll of its own, of version 4.5 or later.
    EXPECT_GE(GetMsiVersion(), RuntimePrerequisites::kWindowsInstaller30);
    EXPECT_TRUE(checks_.CheckWIndowsInstallerExists());
    return;
  }
  std::string system;
  ASSERT_TRUE(platform::QuerySystemFolder(system));
  EXPECT_EQ(0u, GetMsiVersion());
  EXPECT_FALSE(checks_.CheckWIndowsInstallerExists());
  const struct {
    const char* fixture;
    uint32_t packed;
    bool present;
  } cases[] = {{"msi2_0", 0x20000, false}, {"msi3_1", 0x30001, true}, {"msi4_5", 0x40005, true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteTestFile(system + "\\msi.dll",
                              ReadTestFile(FromBuildMachine(std::string(VARNIK_VERSION_FIXTURES) +
                                                            "/" + c.fixture + ".dll"))));
    EXPECT_EQ(c.packed, GetMsiVersion()) << c.fixture;
    EXPECT_EQ(c.present, checks_.CheckWIndowsInstallerExists()) << c.fixture;
  }
}

}  // namespace
