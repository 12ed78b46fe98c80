#include "deployment_fixture.h"

#include <filesystem>

#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "test_files.h"

bool TestFolders::ReadInstallFolders(InstallFolders& folders) {
  if (failInstallFoldersKey) return false;
  if (!installFolders) return SystemFolders::ReadInstallFolders(folders);
  folders = *installFolders;
  return true;
}

DeploymentTest::Control::Control(DeploymentTest& test, const std::string& url)
    : paths(test.settings_, test.mergedSetup_, test.failures_, test.folders_),
      engine(test.settings_, paths, test.failures_, test.folders_) {
  paths.AttachDeploymentState(&engine);
  engine.SetServerUrl(url);
}

// Under Wine the prefix's own folders are used: the loader's folders are
// removed before and after each test.
DeploymentTest::DeploymentTest()
    : paths_(settings_, mergedSetup_, failures_, folders_),
      engine_(settings_, paths_, failures_, folders_) {
  paths_.AttachDeploymentState(&engine_);
  engine_.SetServerUrl("https://srv.example.com/tk");
  settings_.setupFileName = "setup.ini";
  settings_.userIsAdmin = false;
  RemoveLoaderFolders();
}

DeploymentTest::~DeploymentTest() { RemoveLoaderFolders(); }

void DeploymentTest::RemoveLoaderFolders() {
  for (const std::string& folder : {AppData(true) + "\\QX", AppData(false) + "\\QX",
                                    TempFolder() + "\\TK_80", std::string("C:\\WN")})
    RemoveTree(folder);
}

void DeploymentTest::SetDestination(const std::string& destination) {
  mergedSetup_.SetCurrentSection("Common Data");
  mergedSetup_.SetValue("Destination", destination);
}

std::string DeploymentTest::TempFolder() {
  std::string folder;
  platform::QueryTempFolder(folder);
  return folder.substr(0, folder.size() - 1);
}

std::string DeploymentTest::AppData(bool perUser) {
  std::string folder;
  platform::QueryShellFolder(
      perUser ? platform::ShellFolder::LocalAppData : platform::ShellFolder::CommonAppData, folder);
  return folder;
}

void DeploymentTest::WriteText(const std::string& path, const std::string& text) {
  const size_t separator = path.rfind('\\');
  platform::CreateDirectoryWithParents(path.substr(0, separator));
  ASSERT_TRUE(WriteTestFile(path, text)) << path;
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

void DeploymentTest::RemoveTree(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(platform::ToNativePath(path), ignored);
}

bool DeploymentTest::LoggedInfo(const std::string& location, const std::string& message) const {
  return debug_.Contains("ZEL\tINFO\t" + location + "\t" + message + "\t");
}
