#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cabinet_writer.h"
#include "debug_output_capture.h"
#include "descriptors/SetupDescriptor.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/SystemFacts.h"
#include "post_download_fixture.h"
#include "scratch_registry_key.h"
#include "test_files.h"

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

// A .reg file that writes "Folder"=[TARGETDIR] under key\name.
std::string FolderRegFile(const ScratchRegistryKey& key, const std::string& name) {
  return "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + key.Path() + "\\" +
         name + "]\r\n\"Folder\"=\"[TARGETDIR]\"\r\n";
}

std::string ReadFolderValue(const ScratchRegistryKey& key, const std::string& name) {
  RegistryKey opened;
  std::string value;
  if (RegistryKey::Open(RegistryRoot::CurrentUser, key.Path() + "\\" + name, RegistryAccess::Read,
                        opened) != platform::kErrorSuccess ||
      opened.ReadString("Folder", value) != platform::kErrorSuccess)
    return "<none>";
  return value;
}

using PostDownloadActionsTest = PostDownloadTest;

TEST_F(PostDownloadActionsTest, InstallPassTakesRegistryEntriesFirstAndTellsTheUserWhere) {
  host_.window = true;
  Run({Component("extensibilityapi.dll"), Component("client.dll"),
       Component("registryentries.cab")});
  EXPECT_EQ(
      (std::vector<std::string>{"Processing registryentries.cab...",
                                "Processing extensibilityapi.dll...", "Processing client.dll..."}),
      host_.notifications);
  // Centred in the 400 x 200 control, at (200 / 4 - 18) * 2.
  const NotificationPlace& place = host_.places.front();
  const int width = static_cast<int>(host_.notifications.front().size()) * 6;
  EXPECT_EQ(200 - width / 2, place.x);
  EXPECT_EQ(64, place.y);
  EXPECT_EQ(width, place.width);
  EXPECT_EQ(18, place.height);
}

TEST_F(PostDownloadActionsTest, WithoutTheTextWindowTheNotificationIsLogged) {
  DebugOutputCapture log;
  PostDownloadActions(host_).NotifyUserOfPostDownloadAction("client.dll");
  EXPECT_TRUE(log.Mentions("Unexpected flow, m_hWndComponentsText is null. Can't notify user."));
  EXPECT_TRUE(host_.notifications.empty());
}

TEST_F(PostDownloadActionsTest, RegisterFlagIsSetByYInEitherCaseOnly) {
  ScratchRegistryKey key;
  const CIniFile descriptor = IniFromText(deployment_,
                                          "[File_Lower]\r\nShortName=lower.dll\r\nRegister=y\r\n"
                                          "[File_Yes]\r\nShortName=yes.dll\r\nRegister=Yes\r\n");
  std::vector<CDataStructure> records;
  for (const char* section : {"File_Lower", "File_Yes"}) {
    const ComponentSection read = ReadComponentSection(descriptor, section, "");
    CDataStructure record = Component(read.shortName);
    record.registerComponent = read.registerComponent;
    records.push_back(record);
    ASSERT_TRUE(WriteTestFile(deployment_ + "\\" + read.shortName + ".reg",
                              FolderRegFile(key, read.shortName)));
  }
  Run(records);
  // The registry folder is the deployment folder as a .reg string spells it.
  EXPECT_EQ(deployment_ + "\\", ReadFolderValue(key, "lower.dll"));
  EXPECT_EQ("<none>", ReadFolderValue(key, "yes.dll"));
  EXPECT_TRUE(host_.failures.Entries().empty());
}

TEST_F(PostDownloadActionsTest, SharedModeInstallsNothingButUnpacksAndMerges) {
  host_.sharedMode = true;
  host_.manifestNames = {"a.manifest", "b.manifest"};
  ScratchRegistryKey key;
  ASSERT_TRUE(WriteTestFile(deployment_ + "\\client.dll.reg", FolderRegFile(key, "client")));
  CDataStructure registered = Component("client.dll");
  registered.registerComponent = true;
  CDataStructure setup = Component("setup.exe");
  setup.setup = true;
  ASSERT_TRUE(PlaceHelper(setup.destination));
  CDataStructure cabinet = Component("parts.cab");
  cabinet.extract = true;
  ASSERT_TRUE(WriteTestFile(cabinet.destination, BuildStoredCabinet({{"part.txt", "part"}})));
  const std::string merge = deployment_ + "\\mmerge.exe";
  ASSERT_TRUE(PlaceHelper(merge));

  Run({registered, setup, cabinet});
  EXPECT_EQ("<none>", ReadFolderValue(key, "client"));
  EXPECT_TRUE(Runs(setup.destination).empty());
  EXPECT_EQ("part", ReadTestFile(deployment_ + "\\part.txt"));
  EXPECT_EQ((std::vector<std::string>{"[" + deployment_ + "] [a.manifest] [b.manifest]"}),
            Runs(merge));
}

TEST_F(PostDownloadActionsTest, ManifestMergeIsSkippedForADeployedFlavourAndMissedWhenAbsent) {
  host_.manifestNames = {"a.manifest"};
  host_.clientAlreadyDeployed = true;
  host_.flavorAlreadyDeployed = true;
  Run({Component("client.dll")});
  EXPECT_TRUE(host_.failures.Entries().empty());
  host_.flavorAlreadyDeployed = false;
  Run({Component("client.dll")});
  ASSERT_EQ(1u, host_.failures.Entries().size());
  EXPECT_EQ("CLoader", host_.failures.Entries()[0].file);
  EXPECT_EQ("Extension manifests merge failed. See mmerge.log.txt for details.",
            host_.failures.Entries()[0].description);
}

TEST_F(PostDownloadActionsTest, SetupOptionsTellTheProgramWhetherTheDeploymentIsIsolated) {
  CDataStructure setup = Component("tools/setup.exe");
  setup.setup = true;
  setup.setupHidden = true;
  setup.setupOptions = "/q %IsolatedDeployment%";
  ASSERT_TRUE(PlaceHelper(setup.destination));
  Run({setup});
  // Under isolated deployment the setup runs only when it may register
  // isolated.
  host_.isolatedDeployment = true;
  Run({setup});
  setup.registerIsolated = true;
  Run({setup});
  EXPECT_EQ((std::vector<std::string>{"[/q] [N]", "[/q] [Y]"}), Runs(setup.destination));
#ifdef _WIN32
  EXPECT_EQ((std::vector<std::string>{"[/q] [N] hidden", "[/q] [Y] hidden"}),
            Runs(setup.destination, true));
#endif
}

TEST_F(PostDownloadActionsTest, ExitCodeOtherThanTheExpectedOneIsReported) {
  CDataStructure rebootExpected = Component("reboot.exe");
  rebootExpected.setup = true;
  rebootExpected.setupOptions = "exit 0";
  rebootExpected.exitCode = "3010";
  // Linux keeps eight bits of an exit code.
  CDataStructure rebootGiven = Component("given.exe");
  rebootGiven.setup = true;
  rebootGiven.setupOptions = "exit 194";
  rebootGiven.exitCode = "194";
  CDataStructure unchecked = Component("unchecked.exe");
  unchecked.setup = true;
  unchecked.setupOptions = "exit 5";
  for (const CDataStructure* record : {&rebootExpected, &rebootGiven, &unchecked})
    ASSERT_TRUE(PlaceHelper(record->destination));
  Run({rebootExpected, rebootGiven, unchecked});
  ASSERT_EQ(1u, host_.failures.Entries().size());
  EXPECT_EQ(rebootExpected.destination, host_.failures.Entries()[0].file);
  EXPECT_EQ("", host_.failures.Entries()[0].description);
  EXPECT_EQ(1u, Runs(unchecked.destination).size());
}

TEST_F(PostDownloadActionsTest, SetupThatNeverEndsIsLeftBehindAndTheNextOneRuns) {
  host_.installTimeoutMs = 300;
  CDataStructure hung = Component("hung.exe");
  hung.setup = true;
  hung.setupOptions = "sleep 4000";
  CDataStructure next = Component("next.exe");
  next.setup = true;
  ASSERT_TRUE(PlaceHelper(hung.destination));
  ASSERT_TRUE(PlaceHelper(next.destination));
  Run({hung, next});
  ASSERT_EQ(1u, host_.failures.Entries().size());
  EXPECT_EQ(hung.destination, host_.failures.Entries()[0].file);
  EXPECT_EQ("The installation did not end in time", host_.failures.Entries()[0].description);
  EXPECT_EQ(1u, Runs(next.destination).size());
}

TEST_F(PostDownloadActionsTest, CabinetMembersKeepTheirFoldersAndUnchangedCabinetsStayPacked) {
  CDataStructure cabinet = Component("parts.cab");
  cabinet.extract = true;
  ASSERT_TRUE(WriteTestFile(cabinet.destination,
                            BuildStoredCabinet({{"sub\\a.txt", "a"}, {"top.txt", "top"}})));
  CDataStructure unchanged = Component("same.cab");
  unchanged.extract = true;
  unchanged.unchanged = true;
  ASSERT_TRUE(WriteTestFile(unchanged.destination, BuildStoredCabinet({{"same.txt", "x"}})));
  Run({cabinet, unchanged});
  EXPECT_EQ("a", ReadTestFile(deployment_ + "\\sub\\a.txt"));
  EXPECT_EQ("top", ReadTestFile(deployment_ + "\\top.txt"));
  EXPECT_TRUE(PathExists(cabinet.destination));
  EXPECT_FALSE(PathExists(deployment_ + "\\same.txt"));
  EXPECT_TRUE(host_.failures.Entries().empty());
}

TEST_F(PostDownloadActionsTest, CabinetsThatCannotBeUnpackedAreReported) {
  CDataStructure notCabinet = Component("plain.cab");
  notCabinet.extract = true;
  ASSERT_TRUE(WriteTestFile(notCabinet.destination, "not a cabinet"));
  // Members that would replace the loader's records or the cabinet itself.
  ASSERT_TRUE(WriteTestFile(deployment_ + "\\DSummary.ini", "[General]\r\n"));
  CDataStructure records = Component("records.cab");
  records.extract = true;
  ASSERT_TRUE(WriteTestFile(records.destination,
                            BuildStoredCabinet({{"fine.txt", "1"}, {"dsummary.INI", "x"}})));
  CDataStructure itself = Component("sub/itself.cab");
  itself.extract = true;
  platform::CreateDirectoryWithParents(deployment_ + "\\sub");
  ASSERT_TRUE(WriteTestFile(itself.destination, BuildStoredCabinet({{"ITSELF.cab", "x"}})));

  Run({notCabinet, records, itself});
  const std::vector<FailureList::Entry> entries = host_.failures.Entries();
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("plain.cab", entries[0].file);
  EXPECT_EQ("It isn't a real cabinet ", entries[0].description);
  EXPECT_EQ("records.cab", entries[1].file);
  EXPECT_EQ("Cannot extract files from " + records.destination, entries[1].description);
  EXPECT_EQ("itself.cab", entries[2].file);
  EXPECT_EQ("[General]\r\n", ReadTestFile(deployment_ + "\\DSummary.ini"));
  EXPECT_FALSE(PathExists(deployment_ + "\\fine.txt"));
  EXPECT_NE("x", ReadTestFile(itself.destination));
}

TEST_F(PostDownloadActionsTest, InfGetsTheComponentUrlAndKeepsItsOtherLines) {
  ScratchRegistryKey key;
  CDataStructure inf = Component("driver.inf");
  inf.setup = true;
  const std::string text =
      "[Version]\r\nSignature=\"$CHICAGO$\"\r\n\r\n[DefaultInstall]\r\nAddReg=Values\r\n\r\n"
      "[Values]\r\nHKCU,\"" +
      key.Path() +
      "\",\"Url\",,\"%ComponentUrl%\"\r\n\r\n"
      "[Strings]\r\n; where the component came from (%URL%)\r\nComponentUrl=%URL%\r\n";
  ASSERT_TRUE(WriteTestFile(inf.destination, text));
  DebugOutputCapture log;
  Run({inf});
  std::string expected = text;
  expected.replace(expected.rfind("%URL%"), 5, inf.sourceUrl);
  EXPECT_EQ(expected, ReadTestFile(inf.destination));
#ifdef _WIN32
  // Wine's setupapi takes the quoted path literally and installs nothing,
  // so only the command line is checked here.
  EXPECT_TRUE(
      log.Mentions("Run: rundll32.exe Arguments: setupapi.dll,InstallHinfSection "
                   "DefaultInstall 132 \"" +
                   inf.destination + "\" Hidden: false"));
  EXPECT_FALSE(log.Mentions("Cannot start"));
#else
  EXPECT_TRUE(log.Mentions("INF installation needs Windows; " + inf.destination));
#endif
}

TEST_F(PostDownloadActionsTest, PackageIsHandedToMsiexecAsItsArgument) {
  host_.installTimeoutMs = 60000;
  CDataStructure package = Component("client setup.msi");
  package.setup = true;
  package.setupOptions = "/qn";
  ASSERT_TRUE(WriteTestFile(package.destination, "not really a package"));
  DebugOutputCapture log;
  Run({package});
#ifdef _WIN32
  std::string system;
  ASSERT_TRUE(platform::QuerySystemFolder(system));
  EXPECT_TRUE(log.Mentions("Run: " + system + "\\msiexec.exe Arguments: /i \"" +
                           package.destination + "\" /qn Hidden: false"));
  EXPECT_FALSE(log.Mentions("Cannot start"));
#else
  EXPECT_TRUE(log.Mentions("Windows Installer packages need Windows; " + package.destination +
                           " is not installed"));
#endif
}

}  // namespace
