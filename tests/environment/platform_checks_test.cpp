// The platform and browser checks. On posix the machine's facts come from
// machine.ini, so every row of the verdict tables is set up here; under
// Wine the rows the prefix shows are asserted (and os_versions_win_test
// sets the prefix's Windows version for a helper process).
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "debug_output_capture.h"
#include "environment/PlatformChecks.h"
#include "infra/SystemInfo.h"
#include "os_verdict_rows.h"
#include "platform/SystemFacts.h"
#include "platform/Registry.h"
#include "platform/Win32Codes.h"
#include "scratch_registry_key.h"
#include "test_machine.h"

namespace {

constexpr char kOsLocation[] = "CLoader::IsSupportedOSVersion";

class PlatformChecksTest : public MachineTest {
 protected:
  PlatformChecksTest() : checks_(settings_) {
    for (int id : {113, 120, 121, 127, 128}) settings_.resourceStrings[id] = "#" + std::to_string(id);
  }

  // The lines this check logged, without the one that lists the facts.
  std::vector<std::string> LinesOf(const char* location, size_t from = 0) const {
    std::vector<std::string> lines;
    const std::string prefix = std::string("\t") + location + "\t";
    const std::vector<std::string> all = debug_.Lines();
    for (size_t i = from; i < all.size(); ++i) {
      const size_t at = all[i].find(prefix);
      if (at == std::string::npos || all[i].find("Major[") != std::string::npos) continue;
      std::string message = all[i].substr(at + prefix.size());
      if (!message.empty() && message.back() == '\t') message.pop_back();
      lines.push_back(message);
    }
    return lines;
  }

  EnvironmentSettingsValues settings_;
  PlatformChecks checks_;
  DebugOutputCapture debug_;
};

using Lines = std::vector<std::string>;

TEST_F(PlatformChecksTest, OnlyIsolatedDeploymentsAreChecked) {
  EXPECT_TRUE(checks_.IsSupportedOSVersion());
  settings_.isolatedDeployment = true;
  settings_.skipOsCheck = true;
  EXPECT_TRUE(checks_.IsSupportedOSVersion());
  EXPECT_EQ((Lines{"Skip host OS version valdiation.", "Skip host OS version valdiation."}),
            LinesOf(kOsLocation));
}

TEST_F(PlatformChecksTest, OsVerdictTable) {
  settings_.isolatedDeployment = true;
  if (!TestMachine::IsConfigurable()) {
    // The row of the Wine prefix as it is.
    platform::OsVersion os;
    ASSERT_TRUE(platform::ReadOsVersion(os));
    const OsVerdictRow* row =
        FindOsVerdictRow(os.major, os.minor, os.productType, os.servicePackMajor);
    ASSERT_NE(nullptr, row) << os.major << "." << os.minor << " type " << os.productType;
    EXPECT_EQ(row->verdict, checks_.IsSupportedOSVersion());
    EXPECT_EQ(row->lines, LinesOf(kOsLocation));
    return;
  }
  for (const OsVerdictRow& row : OsVerdictRows()) {
    SCOPED_TRACE(std::to_string(row.major) + "." + std::to_string(row.minor) + " type " +
                 std::to_string(row.product) + " SP" + std::to_string(row.servicePack));
    ASSERT_TRUE(machine_.Configure("[os]\nmajor=" + std::to_string(row.major) +
                                   "\nminor=" + std::to_string(row.minor) +
                                   "\nproduct_type=" + std::to_string(row.product) +
                                   "\nservice_pack_major=" + std::to_string(row.servicePack) +
                                   "\nbuild=7601\nsuite_mask=0x110\n"));
    const size_t from = debug_.Lines().size();
    EXPECT_EQ(row.verdict, checks_.IsSupportedOSVersion());
    EXPECT_EQ(row.lines, LinesOf(kOsLocation, from));
  }
  EXPECT_TRUE(debug_.Mentions(
      "Major[11] Minor[0] BuildNumber[7601] Service Pack major[0] Product type[1] Suite[0x110]"));
}

TEST_F(PlatformChecksTest, MessageForUsersWithoutRights) {
  const char* location = "CLoader::GetErrorMsgMissingAdminPermitions";
  std::string message;
  if (!TestMachine::IsConfigurable()) {
    // Wine's Windows: from 8 on a contact text, before it the UAC text,
    // each in its form for a filtered token or not; the UAC switch only
    // logged.
    checks_.GetErrorMsgMissingAdminPermitions(message);
    const std::string plain = IsWindows8OrLater() ? "#128" : "#120";
    const std::string limited = IsWindows8OrLater() ? "#127" : "#121";
    EXPECT_TRUE(message == plain || message == limited) << message;
    EXPECT_TRUE(debug_.Mentions("UAC status "));
    return;
  }
  struct Row {
    const char* machine;
    const char* message;
    bool limitedLine;
  };
  const Row rows[] = {
      {"[os]\nmajor=5\nminor=1\n", "#113", false},
      {"[os]\nmajor=6\nplatform=1\n", "#113", false},
      {"[os]\nmajor=6\nminor=1\n", "#120", false},
      {"[os]\nmajor=6\nminor=1\n[user]\nelevation_type=3\n", "#121", true},
      {"[os]\nmajor=6\nminor=2\n[user]\nelevation_type=2\n", "#128", false},
      {"[os]\nmajor=10\n[user]\nelevation_type=3\n", "#127", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.machine);
    ASSERT_TRUE(machine_.Configure(row.machine));
    const size_t from = debug_.Lines().size();
    checks_.GetErrorMsgMissingAdminPermitions(message);
    EXPECT_EQ(row.message, message);
    const Lines lines = LinesOf(location, from);
    EXPECT_EQ(row.limitedLine, !lines.empty() && lines.back() == "TokenElevationTypeLimited");
  }
  EXPECT_TRUE(debug_.Mentions("UAC status 0, return code 2 - [0] for success"));

  // The UAC switch is logged and changes nothing.
  ScratchRegistryKey policies(platform::RegistryRoot::LocalMachine,
                              "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
  platform::RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(policies.Root(), policies.Path(), key));
  key.WriteDword("EnableLUA", 1);
  checks_.GetErrorMsgMissingAdminPermitions(message);
  EXPECT_EQ("#127", message);
  EXPECT_TRUE(debug_.Mentions("UAC status 1, return code 0 - [0] for success"));
}

TEST_F(PlatformChecksTest, ProtectedModeAnswersAndWhatIsKept) {
  const char* location = "CLoader::IsIeInProtectedMode";
  bool protectedMode = true;
  // No protected-mode function (Wine's ieframe.dll has none): off.
  EXPECT_EQ(platform::kSOk, checks_.IsIeInProtectedMode(protectedMode));
  EXPECT_FALSE(protectedMode);
  EXPECT_EQ((Lines{"Check if IE is in protected mode returned with 0x80004001, Value is 0",
                   "Check ProtecetedMode of IE, API is not implemented, - treat as protected "
                   "mode is off"}),
            LinesOf(location));
  if (!TestMachine::IsConfigurable()) return;

  // A failing call is not kept: the next call asks again; an answer is.
  PlatformChecks checks(settings_);
  ASSERT_TRUE(machine_.Configure("[browser]\nie_protected_mode=0x80070005\n"));
  EXPECT_EQ(static_cast<platform::HResult>(0x80070005u), checks.IsIeInProtectedMode(protectedMode));
  ASSERT_TRUE(machine_.Configure("[browser]\nie_protected_mode=on\n"));
  EXPECT_EQ(platform::kSOk, checks.IsIeInProtectedMode(protectedMode));
  EXPECT_TRUE(protectedMode);
  ASSERT_TRUE(machine_.Configure("[browser]\nie_protected_mode=off\n"));
  EXPECT_EQ(platform::kSOk, checks.IsIeInProtectedMode(protectedMode));
  EXPECT_TRUE(protectedMode);
}

TEST_F(PlatformChecksTest, ServerMustBeATrustedSite) {
  if (!TestMachine::IsConfigurable()) GTEST_SKIP() << "zone_map_win_test covers Wine";
  settings_.tkRootUrl = "http://127.0.0.1:8080/tk";
  EXPECT_FALSE(checks_.IsServerInTrustedZone());
  EXPECT_TRUE(debug_.Mentions("http://127.0.0.1:8080/tk is in zone 1"));

  ASSERT_TRUE(machine_.Configure("[zones]\nsrv.example.com=2\n127.0.0.1=2\n"));
  EXPECT_TRUE(checks_.IsServerInTrustedZone());
  for (const char* url : {"https://srv.example.com/tk", "https://user@A.Srv.Example.com:8443/tk"}) {
    settings_.tkRootUrl = url;
    EXPECT_TRUE(checks_.IsServerInTrustedZone()) << url;
  }
  for (const char* url : {"https://xsrv.example.com/tk", "https://example.com/tk",
                          "file:///C:/Pkg", "", "srv.example.com/tk"}) {
    settings_.tkRootUrl = url;
    EXPECT_FALSE(checks_.IsServerInTrustedZone()) << url;
  }
}

TEST_F(PlatformChecksTest, BrowserVersionIsOnlyLogged) {
  const char* location = "CLoader::VerifySupportedBrowser";
  checks_.VerifySupportedBrowser("debugclient=true");
  checks_.VerifySupportedBrowser("a=1&ieversion=7.0&b=2");
  checks_.VerifySupportedBrowser("ieversion=11");
  checks_.VerifySupportedBrowser("ieversion=");
  EXPECT_EQ((Lines{"IE version was not supplied", "Detected IE version: 7.0",
                   "The current browser version is not supported!", "Detected IE version: 11",
                   "Detected IE version: "}),
            LinesOf(location));
  EXPECT_TRUE(debug_.Mentions("ZEL\tWARNING\tCLoader::VerifySupportedBrowser\tThe current"));
}

}  // namespace
