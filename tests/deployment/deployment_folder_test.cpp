#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "deployment/DeploymentNames.h"
#include "deployment_fixture.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/ProcessLauncher.h"
#include "test_files.h"

namespace {

TEST(DeploymentNamesTest, BaseNameIsTheHostsFirstLabel) {
  EXPECT_EQ("host", deployment::MakeFolderBaseName("user@host.domain.com:8080/path"));
  EXPECT_EQ("host", deployment::MakeFolderBaseName("host:8080/path"));
  // A dot further on must not leave a port or a "/" in the folder name.
  EXPECT_EQ("host", deployment::MakeFolderBaseName("host:8080/app.web"));
  EXPECT_EQ("srv/tk", deployment::ServerUrlKey(deployment::NormalizeServerUrl(" http://srv/tk/ ")));
  EXPECT_EQ("\\\\?\\UNC\\server\\share", deployment::LongPathForm("\\\\server\\share"));
  EXPECT_EQ("file:///C:/Pkg/x", deployment::PackageUrlFromPath("C:\\Pkg\\x"));
  EXPECT_EQ("file:///https://s/x", deployment::PackageUrlFromPath("https://s/x"));
}

class DeploymentFolderTest : public DeploymentTest {
 protected:
  DeploymentFolderTest() : root_(machine_.ScratchFolder() + "\\Deploy") { SetDestination(root_); }
  std::string FolderFor(const std::string& url) {
    return Control(*this, url).engine.GetCurrentDeploymentFolder();
  }
  CIniFile Descriptor() { return ReadIni(root_ + "\\Deployments.ini"); }
  const std::string root_;
};

TEST_F(DeploymentFolderTest, ServersWithOneBaseNameGetFoldersOfTheirOwn) {
  EXPECT_EQ(root_ + "\\srv", FolderFor("https://srv.one.com/tk/"));
  EXPECT_EQ(root_ + "\\srv(1)", FolderFor("http://srv.two.com/tk"));
  EXPECT_TRUE(IsFolder(root_ + "\\srv(1)"));
  EXPECT_EQ(root_ + "\\srv", FolderFor("https://srv.one.com/tk"));  // kept
  EXPECT_EQ(root_ + "\\srv(1)", Descriptor().GetValue("srv.two.com/tk", "Folder"));
  EXPECT_TRUE(LoggedInfo("DeploymentEngine::GetDeploymentFolderRoot",
                         "Deployment path set to:" + root_));
  // A folder that stands under the base name is never taken over.
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_ + "\\host"));
  EXPECT_EQ(root_ + "\\host(1)", FolderFor("http://host:8080/path"));
}

TEST_F(DeploymentFolderTest, RecordedFolderIsFoundByAnyCaseAndRecreated) {
  const std::string recorded = machine_.ScratchFolder() + "\\Elsewhere\\Client";
  WriteText(root_ + "\\Deployments.ini", "[SRV.Example.COM/TK]\r\nFolder=" + recorded + "\r\n");
  EXPECT_EQ(recorded, FolderFor("https://srv.example.com/tk"));
  RemoveTree(recorded);
  EXPECT_EQ(recorded, FolderFor("https://srv.example.com/tk"));
  EXPECT_TRUE(IsFolder(recorded));
  CIniFile::NameSet sections;
  EXPECT_EQ(1u, Descriptor().GetSectionNames(sections));
}

TEST_F(DeploymentFolderTest, ServerVersionsAndSharedModeInTheRecord) {
  settings_.useZelServerVersion = true;
  settings_.zelServerVersion = "8.1.2";
  EXPECT_EQ(root_ + "\\8.1.2", FolderFor("https://srv.example.com/tk"));
  settings_.sharedMode = true;
  EXPECT_EQ(root_ + "\\8.1.2", FolderFor("https://srv.example.com/tk"));
  settings_.zelServerVersion = "8.2.0";
  EXPECT_EQ(root_ + "\\8.2.0", FolderFor("https://srv.example.com/tk"));
  const CIniFile descriptor = Descriptor();
  EXPECT_EQ("Y", descriptor.GetValue("8.1.2", "SharedDeployment"));
  EXPECT_EQ("Y", descriptor.GetValue("8.2.0", "SharedDeployment"));
  EXPECT_EQ("", descriptor.GetValue("srv.example.com/tk", "Folder"));
}

TEST_F(DeploymentFolderTest, EntryWithoutFolderIsCompleted) {
  WriteText(root_ + "\\Deployments.ini", "[srv.example.com/tk]\r\nFolder=\r\nNote=kept\r\n");
  EXPECT_EQ(root_ + "\\srv", FolderFor("https://srv.example.com/tk"));
  EXPECT_EQ(root_ + "\\srv", Descriptor().GetValue("srv.example.com/tk", "Folder"));
  EXPECT_EQ("kept", Descriptor().GetValue("srv.example.com/tk", "Note"));
}

TEST_F(DeploymentFolderTest, AfterNineHundredNinetyNineNumberedFoldersAGuidIsUsed) {
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(root_ + "\\srv"));
  for (int n = 1; n <= 999; ++n)
    ASSERT_EQ(0, platform::CreateDirectoryWithParents(root_ + Format("\\srv(%d)", n)));
  const std::string name = deployment::LastPathComponent(engine_.CreateUniqueFolder(root_, "srv"));
  EXPECT_EQ(36u, name.size()) << name;
  EXPECT_EQ(std::string::npos, name.find_first_not_of("0123456789abcdef-")) << name;
  EXPECT_TRUE(IsFolder(root_ + "\\" + name));
}

TEST_F(DeploymentFolderTest, FolderThatCannotBeCreatedRaisesAndIsReported) {
  WriteText(root_ + "\\blocker", "a file, not a folder");
  const std::string below = root_ + "\\blocker\\Client";
  EXPECT_FALSE(engine_.CreateDirectoryPath(below, false, false));
  EXPECT_TRUE(failures_.Entries().empty());
  WriteText(root_ + "\\Deployments.ini", "[srv.example.com/tk]\r\nFolder=" + below + "\r\n");
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

TEST_F(DeploymentFolderTest, FileWhereTheFolderShouldBeIsNotTakenForIt) {
  const std::string client = root_ + "\\Client";
  WriteText(client, "a file, not a folder");
  EXPECT_FALSE(engine_.CreateDirectoryPath(client, false, false));
  EXPECT_TRUE(engine_.CreateDirectoryPath(root_, false, false));
  WriteText(root_ + "\\Deployments.ini", "[srv.example.com/tk]\r\nFolder=" + client + "\r\n");
  EXPECT_THROW(engine_.GetCurrentDeploymentFolder(), std::runtime_error);
  EXPECT_EQ(1u, failures_.Entries().size());
}

TEST_F(DeploymentFolderTest, DeploymentRootOnANetworkShare) {
  const std::string share = machine_.NetworkShareFolder();
  if (share.empty()) GTEST_SKIP() << "no network share on this machine";
  SetDestination(share + "\\Deploy");
  EXPECT_EQ(share + "\\Deploy\\srv", FolderFor("https://srv.example.com/tk"));
  EXPECT_TRUE(IsFolder(share + "\\Deploy\\srv"));
  EXPECT_EQ(share + "\\Deploy\\srv",
            ReadIni(share + "\\Deploy\\Deployments.ini").GetValue("srv.example.com/tk", "Folder"));
}

TEST_F(DeploymentFolderTest, IsolatedDeploymentWithoutDestinationLivesInTheWorkingFolder) {
  // The root is then the working folder, whose name part asks for the very
  // folder being worked out.
  settings_.isolatedDeployment = true;
  mergedSetup_ = CIniFile();
  const std::string working = TempFolder() + "\\TK_80\\Loader";
  EXPECT_EQ(working, engine_.GetDeploymentFolderRoot());
  EXPECT_EQ(working + "\\srv", engine_.GetCurrentDeploymentFolder());
  EXPECT_EQ(TempFolder() + "\\TK_80\\srv\\Loader", paths_.GetLocalWNTempDir());
}

TEST_F(DeploymentFolderTest, ChangedSectionsAgainstTheLastDeployment) {
  auto setup = [](const char* version, const char* file) {
    CIniFile ini;
    ini.SetCurrentSection("Common Data");
    ini.SetValue("Version", version);
    ini.SetCurrentSection("Client");
    ini.SetValue("File", file);
    return ini;
  };
  CIniFile first = setup("1", "client.exe");
  CIniFile::NameSet changed;
  EXPECT_TRUE(engine_.GetChangedSections(first, changed));  // nothing deployed yet
  EXPECT_EQ((CIniFile::NameSet{"Client", "Common Data"}), changed);
  engine_.SetLastFlavor(first, "Full");
  ASSERT_TRUE(engine_.SaveMergedSetup(first));
  EXPECT_EQ("N", ReadIni(root_ + "\\srv\\merged-setup.ini").GetValue("Common Data",
                                                                     "DeployedWithAdmin"));
  EXPECT_EQ("Full", engine_.GetLastFlavor());

  changed.clear();
  CIniFile same = setup("1", "CLIENT.EXE");  // values compare without case
  EXPECT_FALSE(engine_.GetChangedSections(same, changed));
  settings_.userIsAdmin = true;  // an administrator over a user's deployment
  CIniFile byAdmin = setup("1", "client.exe");
  EXPECT_TRUE(engine_.GetChangedSections(byAdmin, changed));
  EXPECT_EQ((CIniFile::NameSet{"Common Data"}), changed);
  ASSERT_TRUE(engine_.SaveMergedSetup(byAdmin));
  EXPECT_TRUE(engine_.WasDeployedWithAdmin());

  RemoveTree(root_ + "\\srv\\merged-setup.ini");  // a vanished record reads as empty
  EXPECT_FALSE(engine_.WasDeployedWithAdmin());
  EXPECT_EQ("", engine_.GetLastFlavor());
}

TEST_F(DeploymentFolderTest, LoadersRecordingAtOnceLoseNoServer) {
  // Two loader processes record 300 servers each in one Deployments.ini.
  constexpr int kLoaders = 2;
  constexpr int kServersEach = 300;
  const std::string program = FromBuildMachine(VARNIK_DEPLOYMENT_RECORDER);
  std::vector<platform::ProcessRunResult> results(kLoaders, platform::ProcessRunResult::NotStarted);
  std::vector<uint32_t> exitCodes(kLoaders, 99);
  std::vector<std::thread> loaders;
  for (int i = 0; i < kLoaders; ++i) {
    loaders.emplace_back([&, i] {
      const std::string commandLine = "\"" + program + "\" \"" + root_ + "\" " +
                                      std::to_string(i * kServersEach) + " " +
                                      std::to_string(kServersEach);
      results[i] = platform::RunProcessAndWait(commandLine, "", true, 300000, exitCodes[i]);
    });
  }
  for (std::thread& loader : loaders) loader.join();
  for (int i = 0; i < kLoaders; ++i) {
    ASSERT_EQ(platform::ProcessRunResult::ExitCodeRead, results[i]) << i;
    EXPECT_EQ(0u, exitCodes[i]) << i;
  }

  CIniFile descriptor = Descriptor();
  CIniFile::NameSet sections;
  EXPECT_EQ(static_cast<size_t>(kLoaders * kServersEach), descriptor.GetSectionNames(sections));
  std::set<std::string> folders;
  for (int number = 0; number < kLoaders * kServersEach; ++number) {
    const std::string folder =
        descriptor.GetValue(Format("srv%d.example.com/tk", number), "Folder");
    EXPECT_EQ(root_ + Format("\\srv%d", number), folder);
    folders.insert(folder);
  }
  EXPECT_EQ(static_cast<size_t>(kLoaders * kServersEach), folders.size());
}

}  // namespace
