#include "deployment_fixture.h"

#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"

bool TestFolders::TempFolder(std::string& folder) {
  return !failTemp && SystemFolders::TempFolder(folder);
}

bool TestFolders::WindowsFolder(std::string& folder) {
  return !failWindows && SystemFolders::WindowsFolder(folder);
}

bool TestFolders::SystemFolder(std::string& folder) {
  return !failSystem && SystemFolders::SystemFolder(folder);
}

bool TestFolders::AppDataFolder(bool perUser, std::string& folder) {
  return !failAppData && SystemFolders::AppDataFolder(perUser, folder);
}

bool TestFolders::ReadInstallFolders(InstallFolders& folders) {
  if (failInstallFoldersKey) return false;
  if (!overrideInstallFolders) return SystemFolders::ReadInstallFolders(folders);
  folders = installFolders;
  return true;
}

DeploymentTest::Control::Control(DeploymentTest& test)
    : paths(test.settings_, test.mergedSetup_, test.failures_, test.folders_),
      engine(test.settings_, paths, test.failures_, test.folders_) {
  paths.AttachDeploymentState(&engine);
}

DeploymentTest::DeploymentTest()
    : paths_(settings_, mergedSetup_, failures_, folders_),
      engine_(settings_, paths_, failures_, folders_) {
  paths_.AttachDeploymentState(&engine_);
  settings_.setupFileName = "setup.ini";
  settings_.userIsAdmin = false;
  RemoveLoaderFolders();
}

DeploymentTest::~DeploymentTest() { RemoveLoaderFolders(); }

// Under Wine the prefix's real folders are used: leave nothing behind for
// the next test.
void DeploymentTest::RemoveLoaderFolders() {
  RemoveTree(AppData(true) + "\\QX");
  RemoveTree(AppData(false) + "\\QX");
  RemoveTree(SystemTempFolder() + "\\TK_80");
  RemoveTree("C:\\WN");
}

std::string DeploymentTest::SystemTempFolder() {
  std::string folder;
  platform::QueryTempFolder(folder);
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string DeploymentTest::AppData(bool perUser) {
  std::string folder;
  platform::QueryShellFolder(
      perUser ? platform::ShellFolder::LocalAppData : platform::ShellFolder::CommonAppData, folder);
  return folder;
}

void DeploymentTest::WriteText(const std::string& path, const std::string& text) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "wb"));
  ASSERT_NE(nullptr, file) << path;
  ASSERT_EQ(text.size(), std::fwrite(text.data(), 1, text.size(), file.get())) << path;
}

CIniFile DeploymentTest::ReadIni(const std::string& path) {
  CIniFile file;
  EXPECT_TRUE(file.Load(path)) << path;
  return file;
}

bool DeploymentTest::IsFolder(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes) &&
         (attributes & platform::kFileAttributeDirectory);
}

bool DeploymentTest::Exists(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes);
}

void DeploymentTest::RemoveTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(platform::ToNativePath(path), ignored);
}

bool DeploymentTest::LoggedInfo(const std::string& location, const std::string& message) const {
  return debug_.Contains("ZEL\tINFO\t" + location + "\t" + message + "\t");
}
