#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "deployment_fixture.h"
#include "platform/FileSystem.h"

namespace {

class LocalSetupInfoTest : public DeploymentTest {
 protected:
  LocalSetupInfoTest() {
    folder_ = AppData(false) + "\\QX\\ZEL-Client";
    engine_.SetServerUrl("https://srv.example.com/tk");
  }
  void MakeFolder() {
    ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder_));
  }
  void WriteInfo(const std::string& name, const std::string& text) {
    WriteText(folder_ + "\\" + name, text);
  }
  std::string folder_;
};

TEST_F(LocalSetupInfoTest, PackagePathOfTheMatchingServerMakesLocalMode) {
  MakeFolder();
  WriteInfo("local_setup_info_other.ini",
            "[other.example.com/tk]\r\nInstallationPackagePath=C:\\Other\r\n");
  WriteInfo("local_setup_info_empty.ini", "");
  ASSERT_EQ(platform::kErrorSuccess,
            platform::CreateDirectoryWithParents(folder_ + "\\local_setup_info_dir.ini"));
  WriteInfo("setup_info_ignored.ini", "[srv.example.com/tk]\r\nInstallationPackagePath=C:\\No\r\n");
  WriteInfo("LOCAL_SETUP_INFO_MAIN.INI",
            "[SRV.EXAMPLE.COM/TK]\r\nInstallationPackagePath = C:\\Pkg\\Client ; by setup\r\n");

  engine_.InitializeLocalModeAnalysis();
  EXPECT_TRUE(engine_.IsLocalMode());
  EXPECT_EQ(folder_, engine_.LocalDataFolder());
  EXPECT_EQ("C:\\Pkg\\Client", engine_.InstallationPackagePath());
  EXPECT_EQ("file:///C:/Pkg/Client", engine_.GetPackageUrl());
  const std::string location = "DeploymentEngine::AnalyzeIniFilesInDirAndInitValues";
  EXPECT_TRUE(LoggedInfo(location, "Found file: local_setup_info_empty.ini"));
  EXPECT_FALSE(LoggedInfo(location, "Reading file: " + folder_ + "\\local_setup_info_empty.ini"));
  EXPECT_FALSE(LoggedInfo(location, "Found file: local_setup_info_dir.ini"));
  EXPECT_TRUE(LoggedInfo(location, "Deployment mode set to be local."));
}

TEST_F(LocalSetupInfoTest, UrlPackagesAndServerVersionKeys) {
  MakeFolder();
  WriteInfo("local_setup_info_v.ini",
            "[8.1.2]\r\nInstallationPackagePath=http://pkg.example.com/client\r\n");
  engine_.InitializeLocalModeAnalysis();
  EXPECT_FALSE(engine_.IsLocalMode());

  settings_.useZelServerVersion = true;
  settings_.zelServerVersion = "8.1.2";
  engine_.InitializeLocalModeAnalysis();
  EXPECT_TRUE(engine_.IsLocalMode());
  EXPECT_EQ("http://pkg.example.com/client", engine_.GetPackageUrl());
}

TEST_F(LocalSetupInfoTest, FirstFileWithAPackagePathWins) {
  MakeFolder();
  WriteInfo("local_setup_info_a.ini", "[srv.example.com/tk]\r\nInstallationPackagePath=C:\\A\r\n");
  WriteInfo("local_setup_info_b.ini", "[srv.example.com/tk]\r\nInstallationPackagePath=C:\\B\r\n");
  std::vector<platform::FoundEntry> entries;
  ASSERT_EQ(platform::kErrorSuccess, platform::FindEntries(folder_ + "\\local_setup_info_*.ini", entries));
  const std::string expected =
      entries.front().name == "local_setup_info_a.ini" ? "C:\\A" : "C:\\B";

  engine_.InitializeLocalModeAnalysis();
  EXPECT_EQ(expected, engine_.InstallationPackagePath());
}

TEST_F(LocalSetupInfoTest, MatchingSectionWithoutPackagePathStopsStartUp) {
  MakeFolder();
  WriteInfo("local_setup_info_bad.ini", "[srv.example.com/tk]\r\nOther=1\r\n");
  try {
    engine_.InitializeLocalModeAnalysis();
    ADD_FAILURE() << "no error raised";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ("Invalid file structure", error.what());
  }
  EXPECT_FALSE(engine_.IsLocalMode());
}

TEST_F(LocalSetupInfoTest, NoFolderOrNoFilesMeansNoLocalMode) {
  engine_.InitializeLocalModeAnalysis();
  EXPECT_FALSE(engine_.IsLocalMode());
  EXPECT_FALSE(LoggedInfo("DeploymentEngine::AnalyzeIniFilesInDirAndInitValues",
                          "Starting AnalyzeIniFilesInDirAndInitValues"));

  MakeFolder();
  engine_.InitializeLocalModeAnalysis();
  EXPECT_FALSE(engine_.IsLocalMode());
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::AnalyzeIniFilesInDirAndInitValues",
                         "No ini files matching the mask found!"));

  // Without the all-users folder nothing is looked for.
  WriteInfo("local_setup_info_a.ini", "[srv.example.com/tk]\r\nInstallationPackagePath=C:\\A\r\n");
  engine_.InitializeLocalModeAnalysis();
  ASSERT_TRUE(engine_.IsLocalMode());
  folders_.failAppData = true;
  engine_.InitializeLocalModeAnalysis();
  EXPECT_FALSE(engine_.IsLocalMode());
}

}  // namespace
