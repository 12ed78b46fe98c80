// What a page may hand start-up: property values of 100,000 characters,
// text beyond ASCII in every property, parameters full of "=" and quotes,
// descriptor names that lead out of the deployment folder. Each ends in a
// clear result, and nothing outside the deployment tree is touched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "session/ResourceStrings.h"
#include "start_setup_fixture.h"
#include "test_files.h"

namespace {

using Strings = std::vector<std::string>;

std::string InitializationFailure(const std::string& details) {
  return resources::Text(resources::kInitializationFailed) +
         resources::Text(resources::kFailureDetails) + details + "\r\n";
}

// Every text property the page can set, to value.
void SetEveryTextProperty(LoaderProperties& properties, const std::string& value) {
  for (auto put : {&LoaderProperties::put_ProgColor, &LoaderProperties::put_ProgBkColor,
                   &LoaderProperties::put_SetupExtFile, &LoaderProperties::put_DomainName,
                   &LoaderProperties::put_DomainPassword, &LoaderProperties::put_PluginExtFiles,
                   &LoaderProperties::put_AdditionalParams, &LoaderProperties::put_DownloadContentFlavor,
                   &LoaderProperties::put_AuthUser, &LoaderProperties::put_AuthPassword,
                   &LoaderProperties::put_AuthProxyUser, &LoaderProperties::put_AuthProxyPassword,
                   &LoaderProperties::put_AuthProxyURL, &LoaderProperties::put_AuthReserved,
                   &LoaderProperties::put_CustomPreReqPageUrl, &LoaderProperties::put_ZELServerVersion})
    (properties.*put)(value);
}

class StartSetupInputTest : public StartSetupTest {
 protected:
  // The temporary folder, two levels above the deployment folder.
  static std::string Temp() {
    std::string temp;
    platform::QueryTempFolder(temp);
    return temp;
  }

  // posix: every file of the machine root, so that a test can tell what
  // start-up made; Windows has no machine of the test's own to list.
  static std::set<std::string> MachineFiles() {
    std::set<std::string> files;
    const char* root = std::getenv("VARNIK_ROOT");
    if (!TestMachine::IsConfigurable() || !root) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (entry.is_regular_file()) files.insert(entry.path().lexically_relative(root).generic_string());
    }
    return files;
  }

  // Files made since before that lie outside the deployment folder, apart
  // from the registry hives, their locks and the cookie file.
  static Strings MadeOutsideTheDeployment(const std::set<std::string>& before) {
    Strings outside;
    for (const std::string& file : MachineFiles()) {
      if (before.count(file) || file.find("/TK_80/Loader/") != std::string::npos ||
          file.rfind("registry/", 0) == 0 || (file.size() > 4 && file.substr(file.size() - 4) == ".sdr"))
        continue;
      outside.push_back(file);
    }
    return outside;
  }
};

TEST_F(StartSetupInputTest, ValuesOfAHundredThousandCharactersEndInTheUsersText) {
  SetMachine(false);
  const std::set<std::string> before = MachineFiles();
  const std::string name = std::string(100000 - DeployRoot().size() - 11, 'a') + ".cab";
  const std::string huge(100000, 'x');
  SetEveryTextProperty(Properties(), huge);
  Properties().put_TkRootURL(DeployRoot() + "/" + std::string(100000 - DeployRoot().size() - 1, 'r'));
  Properties().put_SetupFile(DeployRoot() + "/setup/" + name);
  Properties().put_IsolatedDeployment(-1);
  RunStartUp();

  ASSERT_EQ(Strings{"failure:"}, end_.ends);
  ASSERT_FALSE(journal_.empty());
  EXPECT_EQ("OnFailure(" + InitializationFailure("Failed to download this file - " + name) + ")",
            journal_.back());
  EXPECT_TRUE(MadeOutsideTheDeployment(before).empty()) << MadeOutsideTheDeployment(before)[0];
}

TEST_F(StartSetupInputTest, TextBeyondAsciiInEveryPropertyEndsInTheUsersText) {
  SetMachine(false);
  const std::set<std::string> before = MachineFiles();
  // UTF-8 and, alone, bytes that are letters of the Windows code pages.
  const std::string text = "Z\xC3\xBCrich-\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1-\xC4\xD6\xDC\xE9\xF1";
  SetEveryTextProperty(Properties(), text + "&DEBUGCLIENT=TRUE");
  Properties().put_TkRootURL(DeployRoot() + "/" + text);
  Properties().put_SetupFile(DeployRoot() + "/setup/" + text + ".cab");
  Properties().put_IsolatedDeployment(-1);
  RunStartUp();

  ASSERT_EQ(Strings{"failure:"}, end_.ends);
  EXPECT_EQ("OnFailure(" + InitializationFailure("Failed to download this file - " + text + ".cab") + ")",
            journal_.back());
  EXPECT_TRUE(State().debugClient);
  EXPECT_TRUE(MadeOutsideTheDeployment(before).empty()) << MadeOutsideTheDeployment(before)[0];
}

TEST_F(StartSetupInputTest, ParametersFullOfEqualSignsAndQuotesAreReadAsTheyStand) {
  SetMachine(false);
  UseDeploySite();
  const std::string params =
      "==\"'\"=&&=debugclient=true\"'=clientcertificatesn=\"'=&sharedmode=\"true\"&useragent='true'&"
      "'embedclient=false'&\"\"\"=====''''";
  Properties().put_AdditionalParams(params);
  RunStartUp();

  ASSERT_TRUE(Loader().downloadPosted) << (end_.ends.empty() ? journal_.back() : end_.ends[0]);
  EXPECT_TRUE(State().debugClient);
  EXPECT_FALSE(State().sharedMode);  // "sharedmode=\"true\"" is not the switch
  EXPECT_FALSE(State().embedClient);
  EXPECT_TRUE(Logged("ERROR", "CLoader::CheckForClientCertificate",
                     "Client certificate request but can't be set."));
  // Nothing serialized into them: no network configuration was given.
  EXPECT_EQ(params, State().additionalParams);
}

TEST_F(StartSetupInputTest, DescriptorNamesThatLeadOutOfTheDeploymentFolderTouchNothingThere) {
  SetMachine(false);
  const std::set<std::string> before = MachineFiles();
  // The deployment folder is <temp>\TK_80\Loader: two levels up is the
  // temporary folder, where these stand.
  const std::string cabinet = Temp() + "victim.cab";
  const std::string list = Temp() + "victim.txt";
  ASSERT_TRUE(WriteTestFile(cabinet, "keep me"));
  ASSERT_TRUE(WriteTestFile(list, "keep me too"));
  UseDeploySite();
  Properties().put_SetupExtFile(DeployRoot() + "/setup/..\\..\\victim.cab");
  Properties().put_PluginExtFiles(DeployRoot() + "/Extensions/..\\..\\victim.txt");
  RunStartUp();

  EXPECT_TRUE(Loader().downloadPosted);
  EXPECT_EQ("keep me", ReadTestFile(cabinet));
  EXPECT_EQ("keep me too", ReadTestFile(list));
  for (const char* name : {"..\\..\\victim.cab", "..\\..\\victim.txt"}) {
    EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadIniFiles",
                       Format("The descriptor name '%s' names no file inside the deployment folder. Skipped.",
                              name)));
  }
  EXPECT_FALSE(served_.Requested("victim"));
  EXPECT_EQ("%URL%main-a.lld", State().mergedSetup.GetValue("File_A", "URLName"));

  // The main descriptor named so is a download that failed.
  NewSession();
  UseDeploySite();
  Properties().put_SetupFile(DeployRoot() + "/setup/..\\..\\victim.cab");
  RunStartUp();
  EXPECT_EQ("OnFailure(" + InitializationFailure("Failed to download this file - ..\\..\\victim.cab") + ")",
            journal_.back());
  EXPECT_EQ("keep me", ReadTestFile(cabinet));
  platform::DeletePath(cabinet);
  platform::DeletePath(list);
  EXPECT_TRUE(MadeOutsideTheDeployment(before).empty()) << MadeOutsideTheDeployment(before)[0];
}

}  // namespace
