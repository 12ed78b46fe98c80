#include <gtest/gtest.h>

#include <stdexcept>

#include "deployment_fixture.h"

namespace {

class LocalSetupInfoTest : public DeploymentTest {
 protected:
  LocalSetupInfoTest() : folder_(AppData(false) + "\\QX\\ZEL-Client") {}
  void WriteInfo(const std::string& name, const std::string& text) {
    WriteText(folder_ + "\\" + name, text);
  }
  const std::string folder_;
};

TEST_F(LocalSetupInfoTest, PackagePathOfTheMatchingServerMakesLocalMode) {
  engine_.InitializeLocalModeAnalysis();  // no folder
  EXPECT_FALSE(engine_.IsLocalMode());
  WriteInfo("local_setup_info_other.ini", "[other.example.com/tk]\r\nInstallationPackagePath=C:\\O\r\n");
  WriteInfo("local_setup_info_empty.ini", "");
  WriteInfo("local_setup_info_dir.ini\\x", "");
  WriteInfo("setup_info_x.ini", "[srv.example.com/tk]\r\nInstallationPackagePath=C:\\No\r\n");
  engine_.InitializeLocalModeAnalysis();
  EXPECT_FALSE(engine_.IsLocalMode());

  WriteInfo("LOCAL_SETUP_INFO_MAIN.INI",
            "[SRV.EXAMPLE.COM/TK]\r\nInstallationPackagePath = C:\\Pkg\\Client ; by setup\r\n");
  engine_.InitializeLocalModeAnalysis();
  EXPECT_TRUE(engine_.IsLocalMode());
  EXPECT_EQ("C:\\Pkg\\Client", engine_.InstallationPackagePath());
  EXPECT_EQ("file:///C:/Pkg/Client", engine_.GetPackageUrl());

  settings_.useZelServerVersion = true;  // keyed by the server version instead
  settings_.zelServerVersion = "8.1.2";
  WriteInfo("local_setup_info_v.ini", "[8.1.2]\r\nInstallationPackagePath=http://pkg/c\r\n");
  engine_.InitializeLocalModeAnalysis();
  EXPECT_EQ("http://pkg/c", engine_.GetPackageUrl());

  folders_.failAppData = true;  // no all-users folder: nothing is looked for
  engine_.InitializeLocalModeAnalysis();
  EXPECT_FALSE(engine_.IsLocalMode());
}

TEST_F(LocalSetupInfoTest, MatchingSectionWithoutPackagePathStopsStartUp) {
  WriteInfo("local_setup_info_bad.ini", "[srv.example.com/tk]\r\nOther=1\r\n");
  try {
    engine_.InitializeLocalModeAnalysis();
    ADD_FAILURE() << "no error raised";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ("Invalid file structure", error.what());
  }
}

}  // namespace
