#include <gtest/gtest.h>

#include <string>

#include "deployment_fixture.h"
#include "platform/FileSystem.h"

namespace {

constexpr char kKey[] = "srv.example.com/tk";

class SharedDeploymentTest : public DeploymentTest {
 protected:
  SharedDeploymentTest() {
    mergedSetup_.SetCurrentSection("Common Data");
    mergedSetup_.SetValue("Destination", kAppDataDestination);
    settings_.isolatedDeployment = true;
    commonRoot_ = AppData(false) + "\\QX\\ZEL-Client";
    userRoot_ = AppData(true) + "\\QX\\ZEL-Client";
    shared_ = commonRoot_ + "\\srv";
  }

  // What an administrator's shared deployment leaves behind.
  void MakeSharedDeployment(const std::string& commonEntry = "SharedDeployment=Y\r\n") {
    ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(shared_));
    WriteText(commonRoot_ + "\\Deployments.ini",
              std::string("[") + kKey + "]\r\nFolder=" + shared_ + "\r\n" + commonEntry);
    WriteText(shared_ + "\\merged-setup.ini",
              "[Common Data]\r\nDeployedWithAdmin=N\r\n[Client]\r\nFile=client.exe\r\n");
  }

  void WriteIsolatedDescriptor(const std::string& body) {
    platform::CreateDirectoryWithParents(userRoot_);
    WriteText(userRoot_ + "\\Deployments.ini", std::string("[") + kKey + "]\r\n" + body);
  }

  std::string FolderOfNewControl(Control& control) {
    control.engine.SetServerUrl("https://srv.example.com/tk");
    return control.engine.GetCurrentDeploymentFolder();
  }

  std::string commonRoot_;
  std::string userRoot_;
  std::string shared_;
};

TEST_F(SharedDeploymentTest, UserTakesTheSharedFolderWithAnIsolatedFolderOfTheirOwn) {
  MakeSharedDeployment();
  const std::string isolated = userRoot_ + "\\srv";
  {
    Control control(*this);
    EXPECT_EQ(shared_, FolderOfNewControl(control));
    EXPECT_TRUE(control.engine.IsSharedDeployment());
    EXPECT_EQ(isolated, control.engine.IsolatedFolder());
    EXPECT_TRUE(IsFolder(isolated));
    EXPECT_TRUE(LoggedInfo("DeploymentEngine::DiscoverIfSharedDeployment",
                           "Shared deployment has been found for srv.example.com/tk. Shared "
                           "folder:" + shared_ + " Isolated folder:" + isolated));

    // Nothing registered for this user yet.
    EXPECT_TRUE(control.engine.CheckIfSharedRegistrationNeeded());
    CIniFile merged = ReadIni(shared_ + "\\merged-setup.ini");
    ASSERT_TRUE(control.engine.SaveMergedSetup(merged));
    EXPECT_TRUE(control.engine.CheckIfSharedRegistrationNeeded());  // kept for the control
  }
  const CIniFile descriptor = ReadIni(userRoot_ + "\\Deployments.ini");
  EXPECT_EQ(isolated, descriptor.GetValue(kKey, "Folder"));
  EXPECT_EQ("Y", descriptor.GetValue(kKey, "RunFromSharedFolder"));
  EXPECT_TRUE(Exists(isolated + "\\merged-setup.ini"));
  EXPECT_EQ("", ReadIni(commonRoot_ + "\\Deployments.ini").GetValue(kKey, "RunFromSharedFolder"));

  {
    Control control(*this);
    EXPECT_EQ(shared_, FolderOfNewControl(control));
    EXPECT_EQ(isolated, control.engine.IsolatedFolder());
    EXPECT_FALSE(control.engine.CheckIfSharedRegistrationNeeded());
  }
  // The administrator deploys a new version.
  WriteText(shared_ + "\\merged-setup.ini",
            "[Common Data]\r\nDeployedWithAdmin=N\r\n[Client]\r\nFile=client2.exe\r\n");
  Control control(*this);
  EXPECT_EQ(shared_, FolderOfNewControl(control));
  EXPECT_TRUE(control.engine.CheckIfSharedRegistrationNeeded());
}

TEST_F(SharedDeploymentTest, UserWithAnIsolatedDeploymentOfTheirOwnKeepsIt) {
  MakeSharedDeployment();
  const std::string own = userRoot_ + "\\own";
  WriteIsolatedDescriptor("Folder=" + own + "\r\n");
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(own));
  WriteText(own + "\\merged-setup.ini", "[Client]\r\nFile=client.exe\r\n");

  Control control(*this);
  EXPECT_EQ(own, FolderOfNewControl(control));
  EXPECT_FALSE(control.engine.IsSharedDeployment());
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::DiscoverIfSharedDeployment",
                         "Shared deployment was found, but isolated deployment exists."));
}

TEST_F(SharedDeploymentTest, IsolatedEntryWithoutMergedSetupIsSwitchedToTheSharedFolder) {
  MakeSharedDeployment();
  const std::string own = userRoot_ + "\\own";
  for (const char* entry : {"RunFromSharedFolder = y\r\n", ""}) {
    WriteIsolatedDescriptor("Folder=" + own + "\r\n" + entry + "Other=kept\r\n");
    Control control(*this);
    EXPECT_EQ(shared_, FolderOfNewControl(control)) << entry;
    EXPECT_EQ(own, control.engine.IsolatedFolder());
    EXPECT_TRUE(IsFolder(own));
    const CIniFile descriptor = ReadIni(userRoot_ + "\\Deployments.ini");
    EXPECT_EQ("Y", descriptor.GetValue(kKey, "RunFromSharedFolder")) << entry;
    EXPECT_EQ(own, descriptor.GetValue(kKey, "Folder"));
    EXPECT_EQ("kept", descriptor.GetValue(kKey, "Other"));
    EXPECT_TRUE(LoggedInfo("DeploymentEngine::UpdateIsolatedDescriptorWithFolderPath",
                           std::string("Isolated descriptor was updated with:") + kKey));
  }
}

TEST_F(SharedDeploymentTest, SharedFolderIsRefusedWhenNotMarkedShared) {
  {
    Control control(*this);
    EXPECT_EQ(userRoot_ + "\\srv", FolderOfNewControl(control));
    EXPECT_TRUE(LoggedInfo("DeploymentEngine::CheckCommonDescriptorForSharedInstallation",
                           "Can't read common descriptor."));
  }
  RemoveTree(userRoot_);
  MakeSharedDeployment("SharedDeployment=N\r\n");
  Control control(*this);
  EXPECT_EQ(userRoot_ + "\\srv", FolderOfNewControl(control));
  EXPECT_FALSE(control.engine.IsSharedDeployment());
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::CheckCommonDescriptorForSharedInstallation",
                         "The deployment folder found in common descriptor, but not shared."));
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::DiscoverIfSharedDeployment",
                         "Shared deployment not found."));
}

TEST_F(SharedDeploymentTest, DiscoveryIsSkippedForVuvoVizizWithoutLocalMode) {
  MakeSharedDeployment();
  settings_.setupFileName = "vuvoviziz_SETUP.ini";
  {
    Control control(*this);
    EXPECT_EQ(userRoot_ + "\\srv", FolderOfNewControl(control));
    EXPECT_TRUE(LoggedInfo(
        "DeploymentEngine::DiscoverIfSharedDeployment",
        "DeploymentEngine:DiscoverSharedDeployment Discovery of shared deployment skipped so do "
        "not consume files from it. Isolated deployment=true, Shared deployment=false, "
        "DebugClient=false, VuvoViziz deployment=true, Local deployment=false"));
  }
  // An installation package on this machine names the server: discovery runs.
  WriteText(commonRoot_ + "\\local_setup_info_1.ini",
            std::string("[") + kKey + "]\r\nInstallationPackagePath=C:\\Pkg\r\n");
  RemoveTree(userRoot_);
  Control control(*this);
  control.engine.SetServerUrl("https://srv.example.com/tk");
  control.engine.InitializeLocalModeAnalysis();
  ASSERT_TRUE(control.engine.IsLocalMode());
  EXPECT_EQ(shared_, control.engine.GetCurrentDeploymentFolder());
}

TEST_F(SharedDeploymentTest, ChangedSectionsKeepTheAdministratorsRights) {
  MakeSharedDeployment();
  WriteText(shared_ + "\\merged-setup.ini",
            "[Common Data]\r\nDeployedWithAdmin=Y\r\n[Client]\r\nFile=client.exe\r\n");
  Control control(*this);
  FolderOfNewControl(control);
  ASSERT_TRUE(control.engine.IsSharedDeployment());
  CIniFile merged = ReadIni(shared_ + "\\merged-setup.ini");
  merged.SetCurrentSection("Common Data");
  merged.SetValue("DeployedWithAdmin", "N");
  CIniFile::NameSet changed;
  EXPECT_FALSE(control.engine.GetChangedSections(merged, changed));
  EXPECT_EQ("Y", merged.GetValue("Common Data", "DeployedWithAdmin"));
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::GetChangedSections",
                         "Original DEPLOYED_WITH_ADMIN value is:Y"));
}

}  // namespace
