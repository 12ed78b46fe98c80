#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>
#include <string>

#include "deployment/DeploymentNames.h"
#include "deployment_fixture.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"

namespace {

TEST(DeploymentNamesTest, ServerKeysAndFolderBaseNames) {
  EXPECT_EQ("https://srv.example.com:8443/tk",
            deployment::NormalizeServerUrl("  https://srv.example.com:8443/tk// \t"));
  EXPECT_EQ("srv.example.com/tk", deployment::ServerUrlKey("https://srv.example.com/tk"));
  EXPECT_EQ("srv/tk", deployment::ServerUrlKey("http://srv/tk"));
  EXPECT_EQ("HTTPS://srv/tk", deployment::ServerUrlKey("HTTPS://srv/tk"));

  EXPECT_EQ("host", deployment::MakeFolderBaseName("user@host.domain.com:8080/path"));
  EXPECT_EQ("host", deployment::MakeFolderBaseName("host:8080/path"));
  EXPECT_EQ("host", deployment::MakeFolderBaseName("host"));
  // A dot in the path must not keep the port or the path in the name.
  EXPECT_EQ("host", deployment::MakeFolderBaseName("host/path.d/x"));
  EXPECT_EQ("host", deployment::MakeFolderBaseName("host:8080/app.web"));
}

TEST(DeploymentNamesTest, PackageUrlsAndLongPaths) {
  EXPECT_EQ("file:///C:/Pkg/Client", deployment::PackageUrlFromPath("C:\\Pkg\\Client"));
  EXPECT_EQ("http://srv/pkg\\x", deployment::PackageUrlFromPath("http://srv/pkg\\x"));
  EXPECT_EQ("file:///https://srv/pkg", deployment::PackageUrlFromPath("https://srv/pkg"));

  EXPECT_EQ("\\\\?\\C:\\a", deployment::LongPathForm("C:\\a"));
  EXPECT_EQ("\\\\?\\C:\\a", deployment::LongPathForm("\\\\?\\C:\\a"));
  EXPECT_EQ("\\\\?\\UNC\\server\\share", deployment::LongPathForm("\\\\server\\share"));
}

class DeploymentFolderTest : public DeploymentTest {
 protected:
  DeploymentFolderTest() {
    root_ = ScratchFolder() + "\\Deploy";
    mergedSetup_.SetCurrentSection("Common Data");
    mergedSetup_.SetValue("Destination", root_);
  }
  std::string ScratchFolder() const { return machine_.ScratchFolder(); }
  std::string FolderOfNewControl(const std::string& url) {
    Control control(*this);
    control.engine.SetServerUrl(url);
    return control.engine.GetCurrentDeploymentFolder();
  }
  std::string root_;
};

TEST_F(DeploymentFolderTest, ServersWithOneBaseNameGetFoldersOfTheirOwn) {
  const std::string first = FolderOfNewControl("https://srv.one.com/tk/");
  const std::string second = FolderOfNewControl("http://srv.two.com/tk");
  EXPECT_EQ(root_ + "\\srv", first);
  EXPECT_EQ(root_ + "\\srv(1)", second);
  EXPECT_TRUE(IsFolder(first));
  EXPECT_TRUE(IsFolder(second));
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::GetDeploymentFolderRoot",
                         "Deployment path set to:" + root_));

  const CIniFile descriptor = ReadIni(root_ + "\\Deployments.ini");
  EXPECT_EQ(first, descriptor.GetValue("srv.one.com/tk", "Folder"));
  EXPECT_EQ(second, descriptor.GetValue("srv.two.com/tk", "Folder"));
  EXPECT_EQ("", descriptor.GetValue("srv.one.com/tk", "SharedDeployment"));

  // The record is kept: the same server comes back to its folder.
  EXPECT_EQ(first, FolderOfNewControl("https://srv.one.com/tk"));
  // A folder standing under a base name is never taken over.
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_ + "\\host"));
  EXPECT_EQ(root_ + "\\host(1)", FolderOfNewControl("http://host:8080/path"));
}

TEST_F(DeploymentFolderTest, RecordedFoldersAreFoundByAnyCaseAndRecreated) {
  const std::string recorded = ScratchFolder() + "\\Elsewhere\\Client";
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_));
  WriteText(root_ + "\\Deployments.ini", "[SRV.Example.COM/TK]\r\nFolder=" + recorded + "\r\n");

  EXPECT_EQ(recorded, FolderOfNewControl("https://srv.example.com/tk"));
  EXPECT_TRUE(IsFolder(recorded));
  RemoveTree(recorded);
  EXPECT_EQ(recorded, FolderOfNewControl("https://srv.example.com/tk"));
  EXPECT_TRUE(IsFolder(recorded));
  // No second entry was made for the differently spelt key.
  CIniFile::NameSet sections;
  EXPECT_EQ(1u, ReadIni(root_ + "\\Deployments.ini").GetSectionNames(sections));
}

TEST_F(DeploymentFolderTest, EachServerVersionGetsItsOwnFolder) {
  settings_.useZelServerVersion = true;
  settings_.zelServerVersion = "8.1.2";
  const std::string first = FolderOfNewControl("https://srv.example.com/tk");
  settings_.zelServerVersion = "8.2.0";
  const std::string second = FolderOfNewControl("https://srv.example.com/tk");
  EXPECT_EQ(root_ + "\\8.1.2", first);
  EXPECT_EQ(root_ + "\\8.2.0", second);
  const CIniFile descriptor = ReadIni(root_ + "\\Deployments.ini");
  EXPECT_EQ(first, descriptor.GetValue("8.1.2", "Folder"));
  EXPECT_EQ(second, descriptor.GetValue("8.2.0", "Folder"));
  EXPECT_EQ("", descriptor.GetValue("srv.example.com/tk", "Folder"));
}

TEST_F(DeploymentFolderTest, SharedModeMarksNewAndExistingEntries) {
  const std::string existing = FolderOfNewControl("https://old.example.com/tk");
  settings_.sharedMode = true;
  EXPECT_EQ(existing, FolderOfNewControl("https://old.example.com/tk"));
  const std::string added = FolderOfNewControl("https://new.example.com/tk");
  const CIniFile descriptor = ReadIni(root_ + "\\Deployments.ini");
  EXPECT_EQ("Y", descriptor.GetValue("old.example.com/tk", "SharedDeployment"));
  EXPECT_EQ("Y", descriptor.GetValue("new.example.com/tk", "SharedDeployment"));
  EXPECT_EQ(added, descriptor.GetValue("new.example.com/tk", "Folder"));
}

TEST_F(DeploymentFolderTest, EntryWithoutFolderGetsANewOne) {
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_));
  WriteText(root_ + "\\Deployments.ini", "[srv.example.com/tk]\r\nFolder=\r\nNote=kept\r\n");
  EXPECT_EQ(root_ + "\\srv", FolderOfNewControl("https://srv.example.com/tk"));
  const CIniFile descriptor = ReadIni(root_ + "\\Deployments.ini");
  EXPECT_EQ(root_ + "\\srv", descriptor.GetValue("srv.example.com/tk", "Folder"));
  EXPECT_EQ("kept", descriptor.GetValue("srv.example.com/tk", "Note"));
}

TEST_F(DeploymentFolderTest, AfterNineHundredNinetyNineNumberedFoldersAGuidIsUsed) {
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_ + "\\srv"));
  for (int number = 1; number <= 999; ++number) {
    ASSERT_EQ(platform::kErrorSuccess,
              platform::CreateDirectoryWithParents(root_ + Format("\\srv(%d)", number)));
  }
  const std::string folder = engine_.CreateUniqueFolder(root_, "srv");
  ASSERT_EQ(root_.size() + 1 + 36, folder.size()) << folder;
  const std::string name = folder.substr(root_.size() + 1);
  for (size_t i = 0; i < name.size(); ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      EXPECT_EQ('-', name[i]) << name;
    } else {
      EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(name[i])) &&
                  !std::isupper(static_cast<unsigned char>(name[i])))
          << name;
    }
  }
  EXPECT_TRUE(IsFolder(folder));
}

TEST_F(DeploymentFolderTest, FolderThatCannotBeCreatedRaisesAndIsReported) {
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_));
  WriteText(root_ + "\\blocker", "a file, not a folder");
  const std::string below = root_ + "\\blocker\\Client";

  EXPECT_TRUE(engine_.CreateDirectoryPath(root_, false, true));
  EXPECT_FALSE(engine_.CreateDirectoryPath(root_, true, false));
  EXPECT_FALSE(engine_.CreateDirectoryPath(below, false, false));
  EXPECT_TRUE(failures_.Entries().empty());

  WriteText(root_ + "\\Deployments.ini", "[srv.example.com/tk]\r\nFolder=" + below + "\r\n");
  engine_.SetServerUrl("https://srv.example.com/tk");
  const std::string message = "Failed locating / creating  " + below;
  try {
    engine_.GetCurrentDeploymentFolder();
    ADD_FAILURE() << "no error raised";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(message, error.what());
  }
  const auto entries = failures_.Entries();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("", entries[0].file);
  EXPECT_EQ(message, entries[0].description);
}

TEST_F(DeploymentFolderTest, DebugClientUsesItsFixedFolderWithoutARecord) {
  settings_.debugClient = true;
  EXPECT_EQ("C:\\WN\\ClientDeployment\\Debug", FolderOfNewControl("https://srv.example.com/tk"));
  EXPECT_TRUE(IsFolder("C:\\WN\\ClientDeployment\\Debug"));
  EXPECT_FALSE(Exists("C:\\WN\\ClientDeployment\\Debug\\Deployments.ini"));
}

TEST_F(DeploymentFolderTest, IsolatedDeploymentWithoutDestinationLivesInTheWorkingFolder) {
  // The root then falls back to the working folder, whose name part asks
  // for the very folder being worked out.
  mergedSetup_ = CIniFile();
  settings_.isolatedDeployment = true;
  engine_.SetServerUrl("https://srv.example.com/tk");
  const std::string workingRoot = SystemTempFolder() + "\\TK_80\\Loader";
  EXPECT_EQ(workingRoot, engine_.GetDeploymentFolderRoot());
  EXPECT_EQ(workingRoot + "\\srv", engine_.GetCurrentDeploymentFolder());
  EXPECT_EQ(workingRoot + "\\srv",
            ReadIni(workingRoot + "\\Deployments.ini").GetValue("srv.example.com/tk", "Folder"));
  EXPECT_EQ(SystemTempFolder() + "\\TK_80\\srv\\Loader", paths_.GetLocalWNTempDir());
}

class MergedSetupTest : public DeploymentFolderTest {
 protected:
  MergedSetupTest() { engine_.SetServerUrl("https://srv.example.com/tk"); }
  static CIniFile Setup(const std::string& version) {
    CIniFile setup;
    setup.SetCurrentSection("Common Data");
    setup.SetValue("Version", version);
    setup.SetCurrentSection("Client");
    setup.SetValue("File", "client.exe");
    return setup;
  }
};

TEST_F(MergedSetupTest, ChangedSectionsAgainstTheLastDeployment) {
  CIniFile first = Setup("1");
  CIniFile::NameSet changed;
  EXPECT_TRUE(engine_.GetChangedSections(first, changed));
  EXPECT_EQ((CIniFile::NameSet{"Client", "Common Data"}), changed);
  EXPECT_EQ("N", first.GetValue("Common Data", "DeployedWithAdmin"));

  engine_.SetLastFlavor(first, "Full");
  ASSERT_TRUE(engine_.SaveMergedSetup(first));
  const std::string path = root_ + "\\srv\\merged-setup.ini";
  EXPECT_EQ(path, engine_.GetMergedSetupPath(false));
  EXPECT_EQ("Full", ReadIni(path).GetValue("Common Data", "LastFlavor"));
  EXPECT_EQ("Full", engine_.GetLastFlavor());
  EXPECT_FALSE(engine_.WasDeployedWithAdmin());

  CIniFile same = Setup("1");
  changed.clear();
  EXPECT_FALSE(engine_.GetChangedSections(same, changed));
  EXPECT_TRUE(changed.empty());

  CIniFile newer = Setup("2");
  newer.SetCurrentSection("Client");
  newer.SetValue("File", "CLIENT.EXE");  // values compare without case
  EXPECT_TRUE(engine_.GetChangedSections(newer, changed));
  EXPECT_EQ((CIniFile::NameSet{"Common Data"}), changed);

  // An administrator deploying over a user's deployment changes it.
  settings_.userIsAdmin = true;
  CIniFile byAdmin = Setup("1");
  changed.clear();
  EXPECT_TRUE(engine_.GetChangedSections(byAdmin, changed));
  EXPECT_EQ((CIniFile::NameSet{"Common Data"}), changed);
  ASSERT_TRUE(engine_.SaveMergedSetup(byAdmin));
  EXPECT_TRUE(engine_.WasDeployedWithAdmin());
}

TEST_F(MergedSetupTest, PreviousSetupIsReadAfreshEachTime) {
  const std::string path = engine_.GetCurrentDeploymentFolder() + "\\merged-setup.ini";
  WriteText(path, "[common data]\r\ndeployedwithadmin=y\r\nlastflavor=Lite\r\n[Old]\r\nA=1\r\n");
  EXPECT_TRUE(engine_.WasDeployedWithAdmin());
  EXPECT_EQ("Lite", engine_.GetLastFlavor());

  ASSERT_EQ(platform::kErrorSuccess, platform::DeletePath(path));
  EXPECT_FALSE(engine_.WasDeployedWithAdmin());
  EXPECT_EQ("", engine_.GetLastFlavor());
  CIniFile::NameSet names;
  EXPECT_EQ(0u, engine_.LoadPreviousMergedSetup().GetSectionNames(names));
}

}  // namespace
