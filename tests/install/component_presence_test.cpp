// The presence checks against DLLs whose version resources say what each
// case needs (version_fixtures/), on both ports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "deployment/PathMacros.h"
#include "infra/FailureList.h"
#include "infra/StringHelpers.h"
#include "install/ComponentPresence.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

class FixedDeploymentFolder : public DeploymentFolderState {
 public:
  explicit FixedDeploymentFolder(std::string folder) : folder_(std::move(folder)) {}
  bool IsRootKnown() const override { return true; }
  std::string GetCurrentDeploymentFolder() override { return folder_; }

 private:
  std::string folder_;
};

class PresenceTest : public MachineTest {
 protected:
  PresenceTest()
      : deploy_(machine_.ScratchFolder() + "\\deploy"),
        paths_(settings_, merged_, failures_),
        folder_(deploy_),
        presence_(paths_, folder_, failures_) {
    platform::CreateDirectoryWithParents(deploy_ + "\\bin");
  }

  // A version fixture copied into the deployment folder as bin\<name>.dll.
  std::string Stage(const std::string& fixture) {
    const std::string path = deploy_ + "\\bin\\" + fixture + ".dll";
    EXPECT_TRUE(WriteTestFile(
        path, ReadTestFile(FromBuildMachine(std::string(VARNIK_VERSION_FIXTURES) + "/" + fixture +
                                            ".dll"))))
        << fixture;
    return path;
  }

  bool Logged(const std::string& location, const std::string& message) const {
    return debug_.Contains("ZEL\tINFO\t" + location + "\t" + message + "\t");
  }

  std::vector<std::string> FailureFiles() const {
    std::vector<std::string> files;
    for (const FailureList::Entry& entry : failures_.Entries())
      files.push_back(entry.file + ": " + entry.description);
    return files;
  }

  const std::string deploy_;
  DeploymentSettingsValues settings_;
  CIniFile merged_;
  FailureList failures_;
  PathMacros paths_;
  FixedDeploymentFolder folder_;
  ComponentPresence presence_;
  DebugOutputCapture debug_;
};

TEST_F(PresenceTest, LocallyBuiltCopiesAreTheOnesWith9999) {
  for (const char* fixture : {"v12_53_4_9999", "v1_0_9999_0", "v0_9_9_9999"}) {
    Stage(fixture);
    EXPECT_TRUE(presence_.CheckIfLocalFileExists(std::string("bin\\") + fixture + ".dll"))
        << fixture;
  }
  Stage("v1_9_9_9998");
  EXPECT_FALSE(presence_.CheckIfLocalFileExists("bin\\v1_9_9_9998.dll"));
  EXPECT_TRUE(Logged("CLoader::CheckIfLocalFileExists",
                     "bin\\v1_9_9_9998.dll - is local version equals X.9.9.9999 - 0"));
  EXPECT_TRUE(Logged("CLoader::CompareFileVersion",
                     "The version of " + deploy_ + "\\bin\\v1_9_9_9998.dll is '1.9.9.9998'."));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PresenceTest, AbsentLocalFileIsNotReadAtAll) {
  EXPECT_FALSE(presence_.CheckIfLocalFileExists("bin\\gone.dll"));
  EXPECT_TRUE(Logged("CLoader::CheckIfLocalFileExists", deploy_ + "\\bin\\gone.dll not found"));
  EXPECT_FALSE(debug_.Mentions("expected version"));
}

TEST_F(PresenceTest, TheVersionTextCountsAndANewerFileDoesNotMatch) {
  // Its numeric version says 11.0.0.2; its text says " 11, 0, 0, 1 ".
  const std::string comma = Stage("comma_text");
  EXPECT_TRUE(presence_.CompareFileVersion("11.0.0.1", comma));
  EXPECT_FALSE(presence_.CompareFileVersion("11.0.0.2", comma));
  EXPECT_FALSE(presence_.CompareFileVersion("11.0.0.1", Stage("v11_0_0_2")));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PresenceTest, TranslationsAreTriedInOrderAndEveryMissReported) {
  const std::string second = Stage("second_translation");
  EXPECT_TRUE(presence_.CompareFileVersion("2.0.0.0", second));
  EXPECT_EQ((std::vector<std::string>{
                "CLoader::CompareFileVersion: Failed retrieving FileVersion "
                "'\\StringFileInfo\\040704E4\\FileVersion' from " + second}),
            FailureFiles());

  failures_.Clear();
  const std::string none = Stage("no_translation");
  EXPECT_FALSE(presence_.CompareFileVersion("3.0.0.0", none));
  EXPECT_EQ((std::vector<std::string>{
                "CLoader::CompareFileVersion: Failed retrieving langiages information "
                "(\\VarFileInfo\\Translation) from " + none}),
            FailureFiles());

  failures_.Clear();
  const std::string noText = Stage("no_file_version");
  EXPECT_FALSE(presence_.CompareFileVersion("4.0.0.0", noText));
  EXPECT_EQ((std::vector<std::string>{
                "CLoader::CompareFileVersion: Failed retrieving FileVersion "
                "'\\StringFileInfo\\040904B0\\FileVersion' from " + noText,
                "CLoader::CompareFileVersion: Failed retrieving version for " + noText + "."}),
            FailureFiles());
  EXPECT_TRUE(debug_.Contains("Failed getting version number.\n"));
}

TEST_F(PresenceTest, FileWithoutVersionResourceIsOnlyLogged) {
  const std::string text = deploy_ + "\\notes.txt";
  ASSERT_TRUE(WriteTestFile(text, "no version here"));
  EXPECT_FALSE(presence_.CompareFileVersion("1.0.0.0", text));
  EXPECT_TRUE(Logged("CLoader::CompareFileVersion",
                     "FileVersionInfo size for " + text + " is 0 (zero)."));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(PresenceTest, SearchOrderThenTheDeploymentFolder) {
  std::string system;
  ASSERT_TRUE(platform::QuerySystemFolder(system));
  const std::string probe = "varnik-probe-" + std::to_string(platform::CurrentProcessId()) + ".dll";
  ASSERT_TRUE(WriteTestFile(system + "\\" + probe, "probe"));
  EXPECT_TRUE(presence_.CheckFileExists(probe));
  EXPECT_TRUE(presence_.CheckFileExists("%SystemDir%\\" + probe));
  EXPECT_TRUE(Logged("CLoader::CheckFileExists", "Looking for " + system + "\\" + probe));
  platform::DeletePath(system + "\\" + probe);

  ASSERT_TRUE(WriteTestFile(deploy_ + "\\client.exe", "client"));
  EXPECT_TRUE(presence_.CheckFileExists("client.exe"));
  EXPECT_TRUE(Logged("CLoader::CheckFileExists", "File client.exe not found."));
  EXPECT_TRUE(Logged("CLoader::CheckFileExists", "Try to look for " + deploy_ + "\\client.exe."));

  EXPECT_FALSE(presence_.CheckFileExists("absent-file.dll"));
  EXPECT_TRUE(Logged("CLoader::CheckFileExists",
                     "File " + deploy_ + "\\absent-file.dll not found."));

  // Found, but a folder cannot be opened as a file.
  platform::CreateDirectoryWithParents(deploy_ + "\\folder.dll");
  EXPECT_FALSE(presence_.CheckFileExists("folder.dll"));
}

}  // namespace
