// Whole deployments where the client is already on the machine in another
// form: a shared folder an administrator deployed (in date and out of
// date), and an installation package the local setup information names.
#include <gtest/gtest.h>

#include "deployment/CIniFile.h"
#include "deployment/SystemFolders.h"
#include "infra/RecursiveDirDelete.h"
#include "platform/FileSystem.h"
#include "test_files.h"
#include "whole_deployment_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class WholeLocation : public WholeDeploymentTest {
 protected:
  ~WholeLocation() override {
    if (!localInfo_.empty()) platform::DeletePath(localInfo_);
  }
  std::string localInfo_;
};

TEST_F(WholeLocation, UsersRunFromASharedFolderUntilTheServerHasMoved_On) {
  Page admin;
  admin.setupFile = admin.tkRoot + "/site/Client_setup.cab";
  admin.isolated = false;
  admin.administrator = true;
  admin.additionalParams = "sharedmode=true";
  const Deployment shared = Deploy(admin);
  ASSERT_EQ("ready", shared.end) << "a shared deployment installs only";
  ASSERT_TRUE(Exists(FileOf(shared, VARNIK_CLIENT_MEMBER)));

  Page user;
  user.setupFile = admin.setupFile;
  const Deployment run = Deploy(user);
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ(shared.folder, run.folder);
  EXPECT_EQ(Strings{"Client_setup.cab"}, run.SiteRequests()) << "nothing to fetch";

  Publish("changed");
  const Deployment stale = Deploy(user);
  EXPECT_EQ(0u, stale.end.rfind("failure", 0)) << stale.end;
  EXPECT_EQ(
      "Shared deployment folder is not synchronized with the server. Installation aborted. Contact "
      "your system administrator.\r\nFor details, see the Loader log file.",
      stale.shown);
  EXPECT_EQ(Strings{"Client_setup.cab"}, stale.SiteRequests());
  // The shared client is left as it was.
  EXPECT_TRUE(Exists(FileOf(shared, VARNIK_CLIENT_MEMBER)));
}

TEST_F(WholeLocation, AnInstallationPackageIsDeployedWithoutTheServer) {
  // The package: the descriptor and the components as the server signed them.
  const std::string package = machine_.ScratchFolder() + "\\Package";
  ASSERT_EQ(0u, platform::CreateDirectoryWithParents(package));
  for (const char* name : {"VuvoViziz_setup.cab", "alpha.dll", "beta.dll", "client.cab"})
    ASSERT_TRUE(WriteTestFile(package + "\\" + name, ReadTestFile(SiteFile(name)))) << name;
  std::string common;
  ASSERT_TRUE(SystemFolders::Default().AppDataFolder(false, common));
  platform::CreateDirectoryWithParents(common + "\\QX\\ZEL-Client");
  localInfo_ = common + "\\QX\\ZEL-Client\\local_setup_info_whole.ini";
  const std::string serverKey = PlatformRoot().substr(7) + "/whole/site";
  ASSERT_TRUE(WriteTestFile(localInfo_, "[" + serverKey + "]\r\nInstallationPackagePath=" + package + "\r\n"));

  Page page;
  page.msi = true;
  const Deployment run = Deploy(page);
  EXPECT_EQ("client-started", run.end) << run.shown;
  EXPECT_EQ(Strings{}, run.SiteRequests()) << "the server is not asked";
  for (const char* name : {"alpha.dll", "beta.dll", VARNIK_CLIENT_MEMBER})
    EXPECT_TRUE(Exists(FileOf(run, name))) << name;
  // The deployment is recorded (in local mode under the package's
  // descriptor name).
  std::vector<platform::FoundEntry> entries;
  platform::FindEntries(FileOf(run, "merged-*"), entries);
  ASSERT_EQ(1u, entries.size());
  CIniFile merged;
  ASSERT_TRUE(merged.Load(FileOf(run, entries[0].name)));
  EXPECT_EQ("%URL%/alpha.dll", merged.GetValue("File_Alpha", "URLName"));
}

}  // namespace
