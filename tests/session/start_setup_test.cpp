// Start-up against the sample platform: through to the posted download
// driver with the merged descriptor and the summary on disk, and each way
// it stops, with the exact text the user is shown.
#include <gtest/gtest.h>

#include "deployment/CIniFile.h"
#include "infra/StringHelpers.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/TextCompare.h"
#include "session/ResourceStrings.h"
#include "session/SiteLock.h"
#include "start_setup_fixture.h"
#include "test_files.h"

namespace {

using Strings = std::vector<std::string>;

constexpr char kNetworkKey[] = "Software\\Nordak Labs\\Trialdesk\\WEB";

std::string Text(int id) { return resources::Text(id); }

// The log has no line breaks.
std::string WithoutLineBreaks(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (c != '\r' && c != '\n') kept += c;
  }
  return kept;
}

// What a start-up error shows: 112, and the details when there are any.
std::string InitializationFailure(const std::string& details) {
  return Text(resources::kInitializationFailed) + Text(resources::kFailureDetails) + details + "\r\n";
}

TEST_F(StartSetupTest, ReachesTheDownloadDriverWithTheMergedDescriptorAndTheSummary) {
  SetMachine(false);
  UseDeploySite();
  RunStartUp();

  ASSERT_TRUE(Loader().downloadPosted) << (end_.ends.empty() ? "" : end_.ends[0]);
  EXPECT_TRUE(end_.ends.empty());
  EXPECT_TRUE(journal_.empty()) << journal_[0];
  EXPECT_EQ((Strings{"INFO Starting setup", "INFO additional params:", "INFO Production mode requested.",
                     "INFO Warning: The URL " + DeployRoot() + " is not in the trusted sites list",
                     "INFO ZELSKIPOSCHECK - eviroment variable not found or invalid value.",
                     "INFO OS version would be verified.", "INFO QueryUserAuthData - succeeded",
                     "INFO Using per-version deployment."}),
            StartSetupLines());

  // The deployment folder is the working folder until the merged
  // descriptor names another; the summary and the merged file are there.
  const std::string folder = State().deploymentFolder;
  EXPECT_TRUE(platform::OrdinalEqualsNoCase(WorkingFolder(), folder)) << folder;
  CIniFile summary;
  ASSERT_TRUE(summary.Load(folder + "\\DSummary.ini"));
  EXPECT_EQ(folder, summary.GetValue("General", "ClientBinariesPath"));
  EXPECT_EQ(DeployRoot(), summary.GetValue("General", "ServerURL"));
  EXPECT_TRUE(Logged("INFO", "CLoader::SerializeSummaryIni",
                     "Deployment info serialization. Directory:'" + folder + "' URL:'" + DeployRoot() +
                         "' Log:'" + folder + "\\DSummary.ini'"));
  CIniFile written;
  ASSERT_TRUE(written.Load(folder + "\\download_all.ini"));
  EXPECT_EQ("%URL%main-a.lld", written.GetValue("0001File_A", "URLName"));
  EXPECT_EQ("file_p3.dll", written.GetValue("0004File_P3", "ShortName"));
  EXPECT_EQ("x2.manifest", written.GetValue("0003Manifest_X", "ShortName"));
  // The extension's colliding File_A sits beside the main one.
  CIniFile::NameSet names;
  written.GetSectionNames(names);
  size_t collided = 0;
  for (const std::string& name : names) {
    if (name.size() == 18 && name.rfind("0001File_A", 0) == 0 &&
        written.GetValue(name, "URLName") == "%URL%ext-a.lld")
      ++collided;
  }
  EXPECT_EQ(1u, collided);
  CIniFile::NameSet changed;
  EXPECT_FALSE(written.CollectChangedSections(State().mergedSetup, changed));
  EXPECT_EQ("VuvoViziz_setup.ini", State().setupFileName);
  EXPECT_EQ("custom_modules.ini", State().setupExtFileName);
  for (const char* left : {"VuvoViziz_setup.cab", "VuvoViziz_setup.ini", "custom_modules.ini", "plugins.txt",
                           "Extensions"})
    EXPECT_FALSE(PathExists(folder + "\\" + left)) << left;

  // The handshakes: the cache version decorates the descriptors' URLs, and
  // the server's version code makes the deployment per-version.
  EXPECT_EQ("CV4242", State().cacheVersion.version);
  EXPECT_TRUE(served_.Requested("/wnbin/deploy/setup/VuvoViziz_setup.cab?CV=CV4242 "));
  EXPECT_NE(0, State().useZelServerVersion);
  EXPECT_EQ("8.0.1", State().zelServerVersion);
  EXPECT_FALSE(State().serverIncompatible);
  EXPECT_TRUE(State().embedClient);
  std::string location;
  EXPECT_EQ(platform::kSOk, Properties().get_DeploymentLocation(&location));
}

TEST_F(StartSetupTest, APageOutsideTheApprovedZonesStopsWithTheZoneText) {
  UseDeploySite();
  SetSiteLockFlag(true);
  RunStartUp();
  SetSiteLockFlag(false);

  const std::string shown = InitializationFailure(Text(resources::kOutsideApprovedZone));
  EXPECT_EQ(Strings{"OnFailure(" + shown + ")"}, journal_);
  EXPECT_EQ(shown, ShownFailure());
  EXPECT_EQ(Strings{"failure:"}, end_.ends);
  EXPECT_FALSE(Loader().downloadPosted);
  EXPECT_TRUE(Logged("INFO", "CLoader::OnStartSetup",
                     "Initialization failure. ZEL server URL must be in the intranet zone or added to the "
                     "trusted sites list."));
  EXPECT_TRUE(Logged("ERROR", "CLoader::HandleInitializationRuntimeError",
                     "Runtime error while starting application setup."));
  EXPECT_TRUE(served_.Requests().empty());
}

TEST_F(StartSetupTest, AMissingSetupUrlStopsWithTheTextForTheUsersRights) {
  for (bool administrator : {false, true}) {
    SCOPED_TRACE(administrator ? "administrator" : "user");
    NewSession();
    SetMachine(administrator);
    Properties().put_TkRootURL(DeployRoot());
    RunStartUp();

    std::string message = Text(resources::kSetupUrlMissing);
    if (administrator) message += Text(resources::kSetupUrlMissingForAdmin);
    const std::string shown = InitializationFailure(message);
    EXPECT_EQ(Strings{"OnFailure(" + shown + ")"}, journal_);
    EXPECT_EQ(shown, ShownFailure());
    EXPECT_EQ(Strings{"failure:"}, end_.ends);
    EXPECT_TRUE(Logged("WARNING", "CLoader::OnStartSetup", WithoutLineBreaks(message)));
  }
}

TEST_F(StartSetupTest, ABrowserInProtectedModeStopsWithItsText) {
  SetMachine(false, true);
  UseDeploySite();
  RunStartUp();

  const std::string shown = Text(resources::kProtectedMode);
  EXPECT_EQ(Strings{"OnFailure(" + shown + ")"}, journal_);
  EXPECT_EQ(shown, ShownFailure());
  EXPECT_EQ(Strings{"failure:"}, end_.ends);
  EXPECT_EQ("INFO Internet Explorer configured to run in protected mode. Unable to start deployment.",
            StartSetupLines().back());
  EXPECT_FALSE(served_.Requested("/wnbin/deploy/"));
}

TEST_F(StartSetupTest, ACommonDeploymentWithoutAdministratorRightsStopsWithTheRightsText) {
  SetMachine(false);
  UseDeploySite();
  Properties().put_IsolatedDeployment(0);
  RunStartUp();

  // The text the platform checks choose for this machine's Windows and
  // elevation.
  std::string expected;
  Loader().Environment().Checks().GetErrorMsgMissingAdminPermitions(expected);
  EXPECT_TRUE(expected == Text(113) || expected == Text(120) || expected == Text(121) ||
              expected == Text(127) || expected == Text(128))
      << expected;
  EXPECT_EQ(Strings{"OnFailure(" + expected + ")"}, journal_);
  EXPECT_EQ(expected, ShownFailure());
  EXPECT_EQ("INFO Request for non-isolated mode installation without sufficient permissions.",
            StartSetupLines().back());
  // The server was asked whether it suits this loader; no descriptor was
  // fetched.
  EXPECT_TRUE(served_.Requested("/wnbin/deploy/start_a.js "));
  EXPECT_FALSE(served_.Requested("/wnbin/deploy/setup/"));
}

TEST_F(StartSetupTest, AnIncompatibleServerIsNotedAndStartUpGoesOn) {
  SetMachine(false);
  UseDeploySite(DeployRoot() + "/incompatible");
  // Plug-ins are looked for below the server root, which has none.
  Properties().put_PluginExtFiles("");
  RunStartUp();

  EXPECT_TRUE(Loader().downloadPosted);
  EXPECT_TRUE(journal_.empty()) << journal_[0];
  EXPECT_TRUE(State().serverIncompatible);
  EXPECT_TRUE(Logged("WARNING", "CLoader::OnStartSetup",
                     "This QX ZEL Platform Loader is not compatible with the version of QX ZEL Platform from "
                     "provided URL."));
  EXPECT_EQ("INFO Using separate deployment.", StartSetupLines().back());
}

TEST_F(StartSetupTest, AMainDescriptorThatCannotBeFetchedStopsWithItsMessage) {
  SetMachine(false);
  UseDeploySite();
  Properties().put_SetupFile(DeployRoot() + "/setup/Missing_setup.cab");
  RunStartUp();

  const std::string shown = InitializationFailure("Failed to download this file - Missing_setup.cab");
  // The failed download was reported (OnError) before start-up stopped.
  ASSERT_FALSE(journal_.empty());
  EXPECT_EQ("OnFailure(" + shown + ")", journal_.back());
  EXPECT_EQ(shown, ShownFailure());
  EXPECT_EQ(Strings{"failure:"}, end_.ends);
  EXPECT_TRUE(Logged("ERROR", "CLoader::HandleInitializationRuntimeError",
                     "Runtime error while starting application setup."));
  EXPECT_FALSE(Loader().downloadPosted);
  EXPECT_FALSE(PathExists(WorkingFolder() + "\\DSummary.ini"));
  EXPECT_FALSE(PathExists(WorkingFolder() + "\\Extensions"));
}

TEST_F(StartSetupTest, AnInstallationPackagePageWithoutThePackageStopsSilently) {
  SetMachine(false);
  UseDeploySite();
  Properties().put_MsiDeployment(-1);
  RunStartUp();

  EXPECT_TRUE(journal_.empty()) << journal_[0];
  EXPECT_EQ("", ShownFailure());
  const std::string warning = "Could not find an MSI deployment, but MsiDeployment property was set to true";
  EXPECT_EQ(Strings{"stopped:" + warning}, end_.ends);
  EXPECT_EQ("WARNING " + warning, StartSetupLines().back());
  EXPECT_TRUE(Logged("INFO", "CLoader::OnStartSetup",
                     "IE Protected Mode Check skipped since working in local mode"));
  // Local mode asks the server nothing: no version, no cookies.
  EXPECT_TRUE(served_.Requests().empty()) << served_.Requests()[0];
  EXPECT_FALSE(Loader().downloadPosted);
}

// Switches are found anywhere in the lower-cased parameters, also inside
// longer words; "sharedmode=true" then makes the deployment common, which
// needs an administrator.
TEST_F(StartSetupTest, SwitchesAreFoundInsideLongerWordsInAnyCase) {
  SetMachine(true);
  UseDeploySite();
  Properties().put_AdditionalParams(
      "a=1&xDebugClient=TRUEx&notsharedmode=trueish&ComSurrogate=True&EMBEDCLIENT=FALSEst&"
      "preseparateclientdeployment=true&CancelCrlCheck=true&useragent=FALSE");
  RunStartUp();

  ASSERT_TRUE(Loader().downloadPosted) << (end_.ends.empty() ? "" : end_.ends[0]);
  EXPECT_TRUE(State().debugClient);
  EXPECT_TRUE(State().sharedMode);
  EXPECT_EQ(0, State().isolatedDeployment);
  EXPECT_NE(0, State().installationOnly);
  EXPECT_NE(0, State().comSurrogate);
  EXPECT_FALSE(State().embedClient);
  EXPECT_TRUE(State().separateClientDeployment);
  EXPECT_TRUE(State().cancelCrlCheck);
  const Strings lines = StartSetupLines();
  const Strings expected = {"INFO Debug mode requested.", "INFO Shared deployment mode requested.",
                            "INFO COM surrogate requested.",
                            "INFO Requested not to embed client in Loader window container.",
                            "INFO Requested to have a separate deployment folder by the client."};
  ASSERT_GE(lines.size(), 2 + expected.size());
  EXPECT_EQ(expected, Strings(lines.begin() + 2, lines.begin() + 2 + expected.size()));
  EXPECT_TRUE(Logged("INFO", "CLoader::OnStartSetup", "Cancel CRL Check requested by url"));
  // A separate client deployment reads no server version.
  EXPECT_FALSE(served_.Requested("wnservlet"));
  EXPECT_EQ(0, State().useZelServerVersion);
  // "useragent=false" in a common deployment: the machine's marker.
  platform::RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(platform::RegistryRoot::LocalMachine, kNetworkKey, key));
  std::string marker;
  EXPECT_EQ(platform::kErrorSuccess, key.ReadString("USER_AGENT", marker));
  EXPECT_EQ("0", marker);
  key.DeleteValue("USER_AGENT");
}

TEST_F(StartSetupTest, TheOsCheckIsSkippedByTheSwitchOrByTheVariableSetToOne) {
  SetMachine(false);
  for (const char* variable : {"true", "1"}) {
    SCOPED_TRACE(variable);
    NewSession();
    UseDeploySite();
    // Neither "useragent=" switch: the user's marker stays as it is.
    ASSERT_TRUE(platform::WriteEnvironmentVariable("ZELSKIPOSCHECK", variable));
    RunStartUp();
    platform::RemoveEnvironmentVariable("ZELSKIPOSCHECK");
    EXPECT_EQ(std::string(variable) == "1", State().skipOsCheck);
    EXPECT_TRUE(Logged("INFO", "CLoader::OnStartSetup",
                       std::string(variable) == "1"
                           ? "Skip of OS verification requested by env variable."
                           : "ZELSKIPOSCHECK - eviroment variable not found or invalid value."));
  }
  NewSession();
  UseDeploySite();
  Properties().put_AdditionalParams("SkipOsCheck=TRUE");
  RunStartUp();
  EXPECT_TRUE(State().skipOsCheck);
  EXPECT_TRUE(Logged("INFO", "CLoader::OnStartSetup", "Skip of OS verification requested by url"));
  platform::RegistryKey key;
  std::string marker;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(platform::RegistryRoot::CurrentUser, kNetworkKey, key));
  EXPECT_NE(platform::kErrorSuccess, key.ReadString("USER_AGENT", marker));
}

}  // namespace
