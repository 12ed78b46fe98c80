#include <gtest/gtest.h>

#include "deployment_fixture.h"

namespace {

constexpr char kKey[] = "srv.example.com/tk";
constexpr char kMergedSetup[] = "[Common Data]\r\nDeployedWithAdmin=N\r\n[Client]\r\nFile=a.exe\r\n";

class SharedDeploymentTest : public DeploymentTest {
 protected:
  SharedDeploymentTest()
      : commonRoot_(AppData(false) + "\\QX\\ZEL-Client"),
        userRoot_(AppData(true) + "\\QX\\ZEL-Client"),
        shared_(commonRoot_ + "\\srv") {
    SetDestination("%AppData%\\QX\\ZEL-Client");
    settings_.isolatedDeployment = true;
  }
  // What an administrator's shared deployment leaves behind.
  void MakeSharedDeployment(const char* shared = "Y") {
    WriteText(commonRoot_ + "\\Deployments.ini", std::string("[") + kKey + "]\r\nFolder=" +
                                                     shared_ + "\r\nSharedDeployment=" + shared);
    WriteText(shared_ + "\\merged-setup.ini", kMergedSetup);
  }
  void WriteIsolatedEntry(const std::string& keys) {
    WriteText(userRoot_ + "\\Deployments.ini", std::string("[") + kKey + "]\r\n" + keys);
  }
  const std::string commonRoot_, userRoot_, shared_;
};

TEST_F(SharedDeploymentTest, UserRunsFromTheSharedFolderAndRegistersWhenItChanges) {
  MakeSharedDeployment();
  const std::string isolated = userRoot_ + "\\srv";
  {
    Control control(*this);
    EXPECT_EQ(shared_, control.engine.GetCurrentDeploymentFolder());
    EXPECT_EQ(isolated, control.engine.IsolatedFolder());
    EXPECT_TRUE(IsFolder(isolated));
    EXPECT_TRUE(LoggedInfo("DeploymentEngine::DiscoverIfSharedDeployment",
                           "Shared deployment has been found for srv.example.com/tk. Shared "
                           "folder:" + shared_ + " Isolated folder:" + isolated));
    EXPECT_TRUE(control.engine.CheckIfSharedRegistrationNeeded());  // nothing registered yet
    CIniFile merged = ReadIni(shared_ + "\\merged-setup.ini");
    ASSERT_TRUE(control.engine.SaveMergedSetup(merged));  // into the user's own folder
  }
  const CIniFile descriptor = ReadIni(userRoot_ + "\\Deployments.ini");
  EXPECT_EQ(isolated, descriptor.GetValue(kKey, "Folder"));
  EXPECT_EQ("Y", descriptor.GetValue(kKey, "RunFromSharedFolder"));
  EXPECT_EQ("", ReadIni(commonRoot_ + "\\Deployments.ini").GetValue(kKey, "RunFromSharedFolder"));

  Control again(*this);
  EXPECT_EQ(shared_, again.engine.GetCurrentDeploymentFolder());
  EXPECT_FALSE(again.engine.CheckIfSharedRegistrationNeeded());
  WriteText(shared_ + "\\merged-setup.ini", "[Client]\r\nFile=b.exe\r\n");  // a new version
  Control updated(*this);
  EXPECT_EQ(shared_, updated.engine.GetCurrentDeploymentFolder());
  EXPECT_TRUE(updated.engine.CheckIfSharedRegistrationNeeded());
}

// An administrator's shared copy says "Y", the ordinary user's own copy "N":
// only what was registered counts, not who made each copy.
TEST_F(SharedDeploymentTest, RightsMarkAloneAsksForNoRegistration) {
  MakeSharedDeployment();
  WriteText(shared_ + "\\merged-setup.ini",
            "[Common Data]\r\nDeployedWithAdmin=Y\r\nLastFlavor=A\r\n[Client]\r\nFile=a.exe\r\n");
  {
    Control control(*this);
    ASSERT_EQ(shared_, control.engine.GetCurrentDeploymentFolder());
    EXPECT_TRUE(control.engine.CheckIfSharedRegistrationNeeded());
    CIniFile merged = ReadIni(shared_ + "\\merged-setup.ini");
    ASSERT_TRUE(control.engine.SaveMergedSetup(merged));
  }
  const std::string isolated = userRoot_ + "\\srv";
  ASSERT_EQ("N", ReadIni(isolated + "\\merged-setup.ini").GetValue("Common Data", "DeployedWithAdmin"));
  Control again(*this);
  ASSERT_EQ(shared_, again.engine.GetCurrentDeploymentFolder());
  EXPECT_FALSE(again.engine.CheckIfSharedRegistrationNeeded());
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::CheckIfSharedRegistrationNeeded",
                         "merged setup files are identical, registration skipped"));

  // Any other difference of the common data still counts.
  WriteText(shared_ + "\\merged-setup.ini",
            "[Common Data]\r\nDeployedWithAdmin=Y\r\nLastFlavor=B\r\n[Client]\r\nFile=a.exe\r\n");
  Control changed(*this);
  ASSERT_EQ(shared_, changed.engine.GetCurrentDeploymentFolder());
  EXPECT_TRUE(changed.engine.CheckIfSharedRegistrationNeeded());
}

TEST_F(SharedDeploymentTest, SharedFolderIsRefusedUnlessMarkedAndNotOwnedAlready) {
  MakeSharedDeployment("N");
  EXPECT_EQ(userRoot_ + "\\srv", Control(*this).engine.GetCurrentDeploymentFolder());
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::CheckCommonDescriptorForSharedInstallation",
                         "The deployment folder found in common descriptor, but not shared."));
  MakeSharedDeployment();
  const std::string own = userRoot_ + "\\own";  // the user's own deployment
  WriteIsolatedEntry("Folder=" + own + "\r\n");
  WriteText(own + "\\merged-setup.ini", kMergedSetup);
  EXPECT_EQ(own, engine_.GetCurrentDeploymentFolder());
  EXPECT_FALSE(engine_.IsSharedDeployment());
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::DiscoverIfSharedDeployment",
                         "Shared deployment was found, but isolated deployment exists."));
}

TEST_F(SharedDeploymentTest, IsolatedEntryWithoutMergedSetupIsSwitchedToTheSharedFolder) {
  MakeSharedDeployment();
  const std::string own = userRoot_ + "\\own";
  for (const char* entry : {"RunFromSharedFolder = y\r\n", ""}) {
    WriteIsolatedEntry("Folder=" + own + "\r\n" + entry + "Other=kept\r\n");
    Control control(*this);
    EXPECT_EQ(shared_, control.engine.GetCurrentDeploymentFolder()) << entry;
    EXPECT_EQ(own, control.engine.IsolatedFolder());
    EXPECT_TRUE(IsFolder(own));
    const CIniFile descriptor = ReadIni(userRoot_ + "\\Deployments.ini");
    EXPECT_EQ("Y", descriptor.GetValue(kKey, "RunFromSharedFolder")) << entry;
    EXPECT_EQ("kept", descriptor.GetValue(kKey, "Other"));
  }
}

TEST_F(SharedDeploymentTest, DiscoveryIsSkippedForVuvoVizizUnlessLocalMode) {
  MakeSharedDeployment();
  settings_.setupFileName = "vuvoviziz_SETUP.ini";
  EXPECT_EQ(userRoot_ + "\\srv", Control(*this).engine.GetCurrentDeploymentFolder());
  EXPECT_TRUE(LoggedInfo(
      "DeploymentEngine::DiscoverIfSharedDeployment",
      "DeploymentEngine:DiscoverSharedDeployment Discovery of shared deployment skipped so do "
      "not consume files from it. Isolated deployment=true, Shared deployment=false, "
      "DebugClient=false, VuvoViziz deployment=true, Local deployment=false"));

  WriteText(commonRoot_ + "\\local_setup_info_1.ini",
            std::string("[") + kKey + "]\r\nInstallationPackagePath=C:\\Pkg\r\n");
  RemoveTree(userRoot_);
  engine_.InitializeLocalModeAnalysis();
  ASSERT_TRUE(engine_.IsLocalMode());
  EXPECT_EQ(shared_, engine_.GetCurrentDeploymentFolder());
}

}  // namespace
