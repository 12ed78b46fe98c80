#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "deployment_fixture.h"
#include "platform/Environment.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"

namespace {

// Sets or removes the variable "WN" for one test and restores it after.
class ScopedWnVariable {
 public:
  explicit ScopedWnVariable(const std::optional<std::string>& value) {
    std::string old;
    if (platform::ReadEnvironmentVariable("WN", old)) previous_ = old;
    if (value) {
      platform::WriteEnvironmentVariable("WN", *value);
    } else {
      platform::RemoveEnvironmentVariable("WN");
    }
  }
  ~ScopedWnVariable() {
    if (previous_) {
      platform::WriteEnvironmentVariable("WN", *previous_);
    } else {
      platform::RemoveEnvironmentVariable("WN");
    }
  }

 private:
  std::optional<std::string> previous_;
};

std::string ReadCurrentVersionValue(const std::string& name) {
  platform::RegistryKey key;
  std::string value;
  if (platform::RegistryKey::Open(platform::RegistryRoot::LocalMachine,
                                  "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                  platform::RegistryAccess::Read, key) == platform::kErrorSuccess)
    key.ReadString(name, value);
  return value;
}

class PathMacrosTest : public DeploymentTest {
 protected:
  std::string Parse(std::string path, bool useDestination = false, bool perUser = false) {
    paths_.ParsePath(path, useDestination, perUser);
    return path;
  }
  std::string WorkingFolder() const { return SystemTempFolder() + "\\TK_80\\Loader"; }
};

TEST_F(PathMacrosTest, ExpandsOnlyTheFirstKindOfMacroFound) {
  std::string windows, system;
  ASSERT_TRUE(platform::QueryWindowsFolder(windows));
  ASSERT_TRUE(platform::QuerySystemFolder(system));

  EXPECT_EQ(SystemTempFolder() + "\\a\\%AppData%\\b" + SystemTempFolder(),
            Parse("%TempDir%\\a\\%AppData%\\b%TempDir%"));
  EXPECT_EQ(windows + "\\x\\%SystemDir%", Parse("%WindowsDir%\\x\\%SystemDir%"));
  EXPECT_EQ(system + "\\drivers", Parse("%SystemDir%\\drivers"));
  EXPECT_EQ(AppData(true) + "\\QX", Parse("%AppData%\\QX", false, true));
  EXPECT_EQ(AppData(false) + "\\QX", Parse("%AppData%\\QX", false, false));
  // Macros are matched with their exact letter case.
  EXPECT_EQ("%appdata%\\QX\\%TEMPDIR%", Parse("%appdata%\\QX\\%TEMPDIR%"));
  EXPECT_TRUE(failures_.Entries().empty());
  EXPECT_TRUE(LoggedInfo("CLoader::ParsePath", "Path=" + system + "\\drivers"));
}

TEST_F(PathMacrosTest, InstallFoldersComeFromTheMachineRegistry) {
  const std::string programFiles = ReadCurrentVersionValue("ProgramFilesDir");
  const std::string commonFiles = ReadCurrentVersionValue("CommonFilesDir");
  ASSERT_FALSE(programFiles.empty());
  ASSERT_FALSE(commonFiles.empty());
  EXPECT_EQ(programFiles + "\\App;" + commonFiles + "\\Lib",
            Parse("%ProgramDir%\\App;%CommonDir%\\Lib"));

  // A value written with a final "\" still gives one separator.
  folders_.overrideInstallFolders = true;
  folders_.installFolders.programFiles = "D:\\Programs\\";
  folders_.installFolders.commonFiles = "D:\\Common\\";
  EXPECT_EQ("D:\\Programs\\App", Parse("%ProgramDir%\\App"));
  EXPECT_EQ("D:\\Common\\Lib\\%AppData%", Parse("%CommonDir%\\Lib\\%AppData%"));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PathMacrosTest, WnVariableIsSubstitutedWithOneFinalSeparator) {
  {
    ScopedWnVariable unset(std::nullopt);
    EXPECT_EQ("%WN%Client", Parse("%WN%Client"));
  }
  {
    ScopedWnVariable plain(std::string("D:\\WN"));
    EXPECT_EQ("D:\\WN\\Client;D:\\WN\\", Parse("%WN%Client;%WN%"));
    EXPECT_EQ("D:\\WN\\Client\\" + SystemTempFolder(), Parse("%WN%Client\\%TempDir%"));
  }
  {
    ScopedWnVariable withSeparator(std::string("D:\\WN\\"));
    EXPECT_EQ("D:\\WN\\Client", Parse("%WN%Client"));
  }
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PathMacrosTest, DestinationComesFromTheDescriptorUnlessMsiDeployment) {
  // Without any destination the deployment root is the working folder.
  EXPECT_EQ(WorkingFolder(), Parse("ignored", true));

  mergedSetup_.SetCurrentSection("Common Data");
  mergedSetup_.SetValue("Destination", "%TempDir%\\Client");
  EXPECT_EQ(SystemTempFolder() + "\\Client", Parse("ignored", true));

  // The destination once read is kept; an installation package deployment
  // always uses the all-users or per-user application data.
  mergedSetup_.SetValue("Destination", "%WindowsDir%\\Other");
  EXPECT_EQ(SystemTempFolder() + "\\Client", Parse("", true));
  settings_.msiDeployment = true;
  EXPECT_EQ(AppData(false) + "\\QX\\ZEL-Client", Parse("", true, false));
  settings_.isolatedDeployment = true;
  std::string path;
  paths_.ParsePath(path, true);
  EXPECT_EQ(AppData(true) + "\\QX\\ZEL-Client", path);
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PathMacrosTest, FailedFolderLookupsFallBackToTheWorkingFolder) {
  std::string windows;
  ASSERT_TRUE(platform::QueryWindowsFolder(windows));

  folders_.failTemp = true;
  // The working folder then lies in the Windows folder.
  EXPECT_EQ(windows + "\\TK_80\\Loader", Parse("%TempDir%\\x"));
  folders_.failWindows = true;
  EXPECT_EQ("C:\\TK_80\\Loader", Parse("%WindowsDir%\\x"));
  folders_.failTemp = folders_.failWindows = false;
  folders_.failSystem = true;
  EXPECT_EQ(WorkingFolder(), Parse("%SystemDir%\\x"));

  const auto entries = failures_.Entries();
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("%TempDir%\\x", entries[0].file);
  EXPECT_EQ("", entries[0].description);
  EXPECT_EQ("%WindowsDir%\\x", entries[1].file);
  EXPECT_EQ("%SystemDir%\\x", entries[2].file);
}

TEST_F(PathMacrosTest, AppDataFailureIsReportedAndFallsBack) {
  folders_.failAppData = true;
  settings_.msiDeployment = true;
  EXPECT_EQ(WorkingFolder(), Parse("", true, true));
  const auto entries = failures_.Entries();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("%AppData%\\QX\\ZEL-Client", entries[0].file);
  EXPECT_EQ("Failed to calculate %AppData%", entries[0].description);
}

TEST_F(PathMacrosTest, RegistryFailuresFallBackAndOnlyMissingValuesAreReported) {
  folders_.failInstallFoldersKey = true;
  EXPECT_EQ(WorkingFolder(), Parse("%ProgramDir%\\App"));
  EXPECT_TRUE(failures_.Entries().empty());

  folders_.failInstallFoldersKey = false;
  folders_.overrideInstallFolders = true;
  folders_.installFolders.programFiles = "D:\\Programs";
  folders_.installFolders.commonFiles.reset();
  EXPECT_EQ("D:\\Programs\\App", Parse("%ProgramDir%\\App"));
  EXPECT_TRUE(failures_.Entries().empty());
  EXPECT_EQ(WorkingFolder(), Parse("%ProgramDir%\\App;%CommonDir%\\Lib"));
  const auto entries = failures_.Entries();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("D:\\Programs\\App;%CommonDir%\\Lib", entries[0].file);
}

TEST_F(PathMacrosTest, WorkingFolderIsPerDeploymentOnlyForIsolatedDeployments) {
  settings_.msiDeployment = true;
  engine_.SetServerUrl("https://srv.example.com/tk");
  EXPECT_EQ(WorkingFolder(), paths_.GetLocalWNTempDir());

  const std::string folder = engine_.GetCurrentDeploymentFolder();
  ASSERT_EQ(AppData(false) + "\\QX\\ZEL-Client\\srv", folder);
  EXPECT_EQ(WorkingFolder(), paths_.GetLocalWNTempDir());

  settings_.isolatedDeployment = true;
  EXPECT_EQ(SystemTempFolder() + "\\TK_80\\srv\\Loader", paths_.GetLocalWNTempDir());
  EXPECT_FALSE(Exists(SystemTempFolder() + "\\TK_80"));
}

}  // namespace
