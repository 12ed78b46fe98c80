#include <gtest/gtest.h>

#include "deployment_fixture.h"
#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"

namespace {

class PathMacrosTest : public DeploymentTest {
 protected:
  std::string Parse(std::string path, bool useDestination = false, bool perUser = false) {
    paths_.ParsePath(path, useDestination, perUser);
    return path;
  }
  static std::string WorkingFolder() { return TempFolder() + "\\TK_80\\Loader"; }
};

TEST_F(PathMacrosTest, OnlyTheFirstKindOfMacroFoundIsExpanded) {
  std::string windows, system;
  ASSERT_TRUE(platform::QueryWindowsFolder(windows) && platform::QuerySystemFolder(system));
  EXPECT_EQ(TempFolder() + "\\a\\%AppData%\\" + TempFolder(),
            Parse("%TempDir%\\a\\%AppData%\\%TempDir%"));
  EXPECT_EQ(windows + "\\x\\%SystemDir%", Parse("%WindowsDir%\\x\\%SystemDir%"));
  EXPECT_EQ(system + "\\drivers", Parse("%SystemDir%\\drivers"));
  EXPECT_EQ(AppData(true) + "\\QX", Parse("%AppData%\\QX", false, true));
  EXPECT_EQ(AppData(false) + "\\QX", Parse("%AppData%\\QX", false, false));
  EXPECT_EQ("%appdata%\\%TEMPDIR%", Parse("%appdata%\\%TEMPDIR%"));  // exact case only
  EXPECT_TRUE(failures_.Entries().empty());
  EXPECT_TRUE(LoggedInfo("CLoader::ParsePath", "Path=" + system + "\\drivers"));
}

TEST_F(PathMacrosTest, InstallFoldersAndWnGetExactlyOneSeparator) {
  platform::RegistryKey key;
  std::string programFiles, commonFiles;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine,
                                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                        platform::RegistryAccess::Read, key));
  key.ReadString("ProgramFilesDir", programFiles);
  key.ReadString("CommonFilesDir", commonFiles);
  EXPECT_EQ(programFiles + "\\A;" + commonFiles + "\\B", Parse("%ProgramDir%\\A;%CommonDir%\\B"));
  folders_.installFolders = {{"D:\\Programs\\"}, {"D:\\Common\\"}};
  EXPECT_EQ("D:\\Programs\\A;D:\\Common\\B", Parse("%ProgramDir%\\A;%CommonDir%\\B"));

  platform::RemoveEnvironmentVariable("WN");
  EXPECT_EQ("%WN%Client", Parse("%WN%Client"));
  for (const char* value : {"D:\\WN", "D:\\WN\\"}) {
    platform::WriteEnvironmentVariable("WN", value);
    EXPECT_EQ("D:\\WN\\Client;" + TempFolder(), Parse("%WN%Client;%TempDir%"));
  }
  platform::RemoveEnvironmentVariable("WN");
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PathMacrosTest, DestinationComesFromTheDescriptorUnlessMsiDeployment) {
  EXPECT_EQ(WorkingFolder(), Parse("ignored", true));  // no destination at all
  SetDestination("%TempDir%\\Client");
  EXPECT_EQ(TempFolder() + "\\Client", Parse("", true));
  SetDestination("%WindowsDir%\\Other");  // the destination read first is kept
  EXPECT_EQ(TempFolder() + "\\Client", Parse("", true));
  settings_.msiDeployment = true;
  settings_.isolatedDeployment = true;
  std::string path;
  paths_.ParsePath(path, true);
  EXPECT_EQ(AppData(true) + "\\QX\\ZEL-Client", path);
  EXPECT_EQ(AppData(false) + "\\QX\\ZEL-Client", Parse("", true, false));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PathMacrosTest, FailedLookupsAreReportedAndFallBackToTheWorkingFolder) {
  std::string windows;
  ASSERT_TRUE(platform::QueryWindowsFolder(windows));
  folders_.failTemp = true;
  EXPECT_EQ(windows + "\\TK_80\\Loader", Parse("%TempDir%\\x"));
  folders_.failWindows = true;
  EXPECT_EQ("C:\\TK_80\\Loader", Parse("%WindowsDir%\\x"));
  folders_.failTemp = folders_.failWindows = false;
  folders_.failSystem = folders_.failAppData = true;
  EXPECT_EQ(WorkingFolder(), Parse("%SystemDir%\\x"));
  EXPECT_EQ(WorkingFolder(), Parse("%AppData%\\x", false, true));

  folders_.failInstallFoldersKey = true;  // no entry for a key that is missing
  EXPECT_EQ(WorkingFolder(), Parse("%ProgramDir%\\A"));
  folders_.failInstallFoldersKey = false;
  folders_.installFolders = {{"D:\\Programs"}, std::nullopt};
  EXPECT_EQ("D:\\Programs\\A", Parse("%ProgramDir%\\A"));
  EXPECT_EQ(WorkingFolder(), Parse("%ProgramDir%\\A;%CommonDir%\\B"));

  const auto entries = failures_.Entries();
  ASSERT_EQ(5u, entries.size());
  const char* const files[] = {"%TempDir%\\x", "%WindowsDir%\\x", "%SystemDir%\\x",
                               "%AppData%\\x", "D:\\Programs\\A;%CommonDir%\\B"};
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(files[i], entries[i].file);
    EXPECT_EQ(i == 3 ? "Failed to calculate %AppData%" : "", entries[i].description);
  }
}

TEST_F(PathMacrosTest, WorkingFolderIsPerDeploymentOnlyForIsolatedDeployments) {
  settings_.msiDeployment = true;
  EXPECT_EQ(WorkingFolder(), paths_.GetLocalWNTempDir());  // root not known yet
  ASSERT_EQ(AppData(false) + "\\QX\\ZEL-Client\\srv", engine_.GetCurrentDeploymentFolder());
  EXPECT_EQ(WorkingFolder(), paths_.GetLocalWNTempDir());
  settings_.isolatedDeployment = true;
  EXPECT_EQ(TempFolder() + "\\TK_80\\srv\\Loader", paths_.GetLocalWNTempDir());
  EXPECT_FALSE(IsFolder(TempFolder() + "\\TK_80"));
}

}  // namespace
