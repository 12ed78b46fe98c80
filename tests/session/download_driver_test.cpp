// The download driver on the control's loop against the sample platform:
// which sections become records, what is fetched, the events in their order
// and the rows of the progress view.
#include <gtest/gtest.h>

#include "deployment/SystemFolders.h"
#include "driver_fixture.h"
#include "infra/RecursiveDirDelete.h"
#include "platform/FileSystem.h"
#include "platform/WindowSystem.h"
#include "scratch_registry_key.h"
#include "session/FailureReport.h"
#include "session/ResourceStrings.h"
#include "session_fixture.h"
#include "test_files.h"

namespace {

using Texts = std::vector<std::string>;

// Section File_<name>: fetched from "%URL%/<file>" to bin\<name in lower
// case>.dll.
std::string Component(const std::string& name, const std::string& file,
                      const std::string& keys = "", const std::string& description = "") {
  std::string shortName = name;
  for (char& c : shortName) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "[File_" + name + "]\r\nURLName=%URL%/" + file + "\r\nShortName=bin\\" + shortName +
         ".dll\r\nDescription=" + (description.empty() ? name : description) + "\r\n" + keys;
}

void Put(const std::string& path, const std::string& text) {
  platform::CreateDirectoryWithParents(path.substr(0, path.rfind('\\')));
  ASSERT_TRUE(WriteTestFile(path, text)) << path;
}

// The events without the file progress reports.
Texts Steps(const DriverRun& run) {
  Texts steps;
  for (const std::string& event : run.events)
    if (event.rfind("OnFileDownloadProgress", 0) != 0) steps.push_back(event);
  return steps;
}

std::string Get(const std::string& file) { return "GET /wnbin/client/" + file + " HTTP/1.1"; }

class DownloadDriverTest : public DriverTest {
 protected:
  Texts Descriptions() {
    Texts texts;
    for (const CDataStructure& record : State().downloadList) texts.push_back(record.description);
    return texts;
  }
  std::string Placed(const std::string& name) {
    return State().deploymentFolder + "\\bin\\" + name;
  }
  // What completion records of a deployment before the next run.
  void RecordDeployment(const std::string& flavor) {
    Loader().Engine().SetLastFlavor(State().mergedSetup, flavor);
    ASSERT_TRUE(Loader().Engine().SaveMergedSetup(State().mergedSetup));
    platform::DeletePath(State().deploymentFolder + "\\Downloaded.txt");
  }
};

TEST_F(DownloadDriverTest, WithoutComponentsNothingMovesButTheRunEnds) {
  const DriverRun run =
      Run({"[Manifest_File_Client]\r\nShortName=client.manifest\r\n[Other]\r\nKey=1\r\n"});
  EXPECT_EQ(Texts{"OnDownloadStart()"}, run.events);
  EXPECT_EQ(1, run.timerTicks);
  EXPECT_EQ(SessionOutcome::Ready, run.outcome);
  EXPECT_TRUE(run.requests.empty());
  EXPECT_TRUE(State().downloadList.empty());
  EXPECT_EQ(Texts{"client.manifest"}, State().manifestNames);
  EXPECT_NE(0u, State().componentsTextWindow);
  EXPECT_EQ(0u, State().progressComponentsWindow);
  EXPECT_TRUE(Logged("Number of elements in changedSection = 3"));
  EXPECT_TRUE(Logged("Finish Downloading"));
}

// Every value has its folder macros replaced before the walk; the
// percentages count records from 1, the bar from 0 to the last.
TEST_F(DownloadDriverTest, TwoRecordsShowHalfThenAllAndMoveTheBarFromStartToEnd) {
  std::string windows;
  ASSERT_TRUE(SystemFolders::Default().WindowsFolder(windows));
  if (windows.back() == '\\') windows.pop_back();
  const DriverRun run = Run({Component("First", "first.dll") +
                             Component("Second", "second.dll", "", "Second in %WindowsDir%")});

  EXPECT_EQ((Texts{"OnDownloadStart()", "OnDownloadProgress(1,2,First)",
                   "OnDownloadProgress(2,2,Second in " + windows + ")"}),
            Steps(run));
  EXPECT_EQ((Texts{"Total progress 50%|0|Download First in progress ...",
                   "Total progress 100%|100|Download Second in " + windows + " in progress ..."}),
            run.rows);
  // Each record's file progress follows its step and ends complete.
  const auto second = std::find(run.events.begin(), run.events.end(), Steps(run)[2]);
  ASSERT_NE(run.events.end(), second);
  EXPECT_EQ("OnFileDownloadProgress(100)", *(second - 1));
  EXPECT_EQ("OnFileDownloadProgress(100)", run.events.back());

  EXPECT_EQ((Texts{Get("first.dll"), Get("second.dll")}), run.requests);
  EXPECT_EQ(ReadTestFile(ServedFile("wnbin/client/second.dll")), ReadTestFile(Placed("second.dll")));
  CIniFile downloaded;
  ASSERT_TRUE(downloaded.Load(State().deploymentFolder + "\\Downloaded.txt"));
  EXPECT_EQ("bin\\first.dll", downloaded.GetValue("Files", Url("first.dll")));
  EXPECT_EQ((std::vector<platform::WindowHandle>{0, 0}), State().statusWindows);
  EXPECT_FALSE(FailureReport::Instance().HasEntries());
  EXPECT_EQ(1, run.timerTicks);
}

TEST_F(DownloadDriverTest, OneRecordLeavesTheOverallBarAlone) {
  const DriverRun run = Run({Component("Only", "first.dll")});
  EXPECT_EQ(Texts{"Total progress 100%|37|Download Only in progress ..."}, run.rows);
  EXPECT_EQ(37, platform::SendWindowMessage(State().progressComponentsWindow,
                                            platform::kPbmGetPos, 0, 0));
  EXPECT_TRUE(PathExists(Placed("only.dll")));
}

// "Downloaded.txt" names what an interrupted deployment fetched; a file so
// named that is still in place is not fetched again, under its served
// extension (".lld") too, and directly in the deployment folder too.
TEST_F(DownloadDriverTest, FilesAlreadyDownloadedAreNotFetchedAgain) {
  DriverSetup setup{"[File_Bare]\r\nURLName=%URL%/fourth.dll\r\nShortName=fourth.dll\r\n" +
                    Component("First", "first.lld") + Component("Second", "second.dll") +
                    Component("Third", "third.dll")};
  setup.startUp = [this](CLoader& loader) {
    const std::string folder = loader.Engine().GetCurrentDeploymentFolder();
    Put(folder + "\\bin\\first.dll", "placed before");
    Put(folder + "\\fourth.dll", "placed before");
    Put(folder + "\\Downloaded.txt", "[Files]\r\n" + Url("first.lld") + "=bin\\first.dll\r\n" +
                                         Url("third.dll") + "=bin\\third.dll\r\n" +
                                         Url("fourth.dll") + "=fourth.dll\r\n");
  };
  const DriverRun run = Run(setup);

  ASSERT_EQ(4u, State().downloadList.size());
  EXPECT_TRUE(State().downloadList[0].alreadyPresent);
  EXPECT_TRUE(State().downloadList[1].alreadyPresent);
  EXPECT_FALSE(State().downloadList[1].unchanged);
  EXPECT_EQ("Download First complete.", State().downloadList[1].statusLine);
  EXPECT_FALSE(State().downloadList[3].alreadyPresent);  // listed, but not in place
  EXPECT_EQ((Texts{"OnDownloadStart()", "OnDownloadProgress(3,4,Second)",
                   "OnDownloadProgress(4,4,Third)"}),
            Steps(run));
  EXPECT_EQ((Texts{"Total progress 75%|66|Download Second in progress ...",
                   "Total progress 100%|100|Download Third in progress ..."}),
            run.rows);
  EXPECT_EQ((Texts{Get("second.dll"), Get("third.dll")}), run.requests);
  EXPECT_EQ("placed before", ReadTestFile(Placed("first.dll")));
}

TEST_F(DownloadDriverTest, IncompatibleServerGetsNothingButTheLaunchData) {
  DriverSetup setup{"[File_Client]\r\nURLName=%URL%/first.dll\r\nShortName=client.dll\r\n"
                    "Main=Y\r\nProgId=vurerave.vureravex\r\nparam_Folder=" + destination_ +
                    "\\data\r\nparam_Server=%TkRoot%\r\nPARAM_url=%URL%\r\n"};
  setup.startUp = [](CLoader& loader) {
    loader.State().serverIncompatible = true;
    loader.Properties().put_DomainName("CORP");
    loader.Properties().put_DomainPassword("s3cret");
  };
  const DriverRun run = Run(setup);

  EXPECT_EQ(Texts{"OnDownloadStart()"}, run.events);
  EXPECT_TRUE(run.requests.empty());
  EXPECT_TRUE(State().downloadList.empty());
  EXPECT_EQ(1, run.timerTicks);
  EXPECT_EQ("vurerave.vureravex", State().mainProgId);
  EXPECT_EQ("client.dll", State().mainDestination);
  const std::string folder = State().deploymentFolder;
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ((Pairs{{"TKtesttypes", folder},
                   {"DomainName", "CORP"},
                   {"DomainPassword", "s3cret"},
                   {"Folder", folder + "\\data"},
                   {"Server", root_},
                   {"url", root_ + "/client"}}),
            State().launchParameters);
  EXPECT_EQ(3u, State().launchParameterCount);
}

// A record carries its section's keys; a component that cannot be had is
// reported and the walk goes on, as it does past a component only an
// administrator may install.
TEST_F(DownloadDriverTest, RecordsCarryTheirKeysAndFailuresDoNotStopTheRun) {
  const DriverRun run = Run(
      {Component("Admin", "first.dll", "RequiresAdminRights=Y\r\n") +
       "[File_Broken]\r\nURLName=%URL%/missing.dll\r\nShortName=bin\\missing.dll\r\n"
       "Register=Y\r\nProgId=Broken.Part\r\nSetup=y\r\nSetupHidden=Y\r\nDotNet=Y\r\n"
       "Extract=Yes\r\nSetupOptions=/quiet\r\nREGFile=broken.reg\r\nExitCode=3\r\n"
       "RegisterIsolated=Y\r\n" +
       Component("Last", "second.dll")});

  EXPECT_TRUE(Logged("User does not have admin permissions which are required for component "
                     "\"bin\\admin.dll\", skipping componenet download and installation"));
  ASSERT_EQ((Texts{"bin\\missing.dll", "Last"}), Descriptions());
  const CDataStructure& broken = State().downloadList[0];
  EXPECT_EQ(0, broken.position);
  EXPECT_EQ(Url("missing.dll"), broken.sourceUrl);
  // The transfer resolved the destination in place; the written form stays.
  EXPECT_EQ(State().deploymentFolder + "\\bin\\missing.dll", broken.destination);
  EXPECT_EQ("bin\\missing.dll", broken.destinationAsWritten);
  EXPECT_TRUE(broken.registerComponent && broken.setup && broken.setupHidden &&
              broken.dotNetAssembly && broken.registerIsolated);
  EXPECT_FALSE(broken.extract || broken.requiresAdminRights || broken.alreadyPresent);
  EXPECT_EQ("Broken.Part", broken.progId);
  EXPECT_EQ("/quiet", broken.setupOptions);
  EXPECT_EQ("broken.reg", broken.registryFile);
  EXPECT_EQ("3", broken.exitCode);
  EXPECT_EQ("Download bin\\missing.dll in progress ...", broken.statusLine);

  EXPECT_NE(std::string::npos, FailureReport::Instance().TakeText().find("1 . missing.dll"));
  EXPECT_TRUE(PathExists(Placed("last.dll")));
  EXPECT_EQ(1, run.timerTicks);
}

// The actions after the downloads (unpacking, registration, setup programs)
// work on a record's destination: it must name where the file was placed,
// for a cabinet to unpack the cabinet under its server name, not the
// relative "ShortName".
TEST_F(DownloadDriverTest, RecordsKeepWhereTheirFileWasPlaced) {
  Run({Component("First", "first.dll") + Component("Pack", "second.dll", "Extract=Y\r\n")});

  ASSERT_EQ(2u, State().downloadList.size());
  EXPECT_EQ(Placed("first.dll"), State().downloadList[0].destination);
  EXPECT_EQ(Placed("second.dll"), State().downloadList[1].destination);
  EXPECT_EQ("bin\\pack.dll", State().downloadList[1].destinationAsWritten);
  EXPECT_TRUE(PathExists(Placed("second.dll")));
}

// Unchanged sections of the requested and the last flavour are marked and
// not fetched; an isolated deployment takes them again only for a user of
// other rights than the deployment's.
TEST_F(DownloadDriverTest, FlavourRulesAcrossDeployments) {
  const std::string sections =
      Component("A", "first.dll", "ContentFlavors=A\r\n") +
      Component("All", "second.dll", "ContentFlavors=*\r\n") +
      Component("Any", "third.dll") + Component("B", "fourth.dll", "ContentFlavors=b,c\r\n");
  Run({sections, "A"});  // no deployment before: only the requested flavour
  EXPECT_EQ((Texts{"A", "All", "Any"}), Descriptions());
  EXPECT_TRUE(State().newFlavorContent);
  RecordDeployment("A");

  EXPECT_TRUE(Run({sections, "A"}).requests.empty());  // nothing changed
  EXPECT_TRUE(Logged("Flavor already deployed."));
  EXPECT_TRUE(State().downloadList.empty());

  // A changed section of the last flavour is taken; so is one of the new.
  const std::string changed =
      Component("A", "first.dll", "ContentFlavors=A\r\nVersion=2\r\n") + sections.substr(sections.find("[File_All]"));
  Run({changed, "C"});
  EXPECT_EQ((Texts{"A", "B"}), Descriptions());
  EXPECT_TRUE(State().newFlavorContent);

  const DriverRun admin = Run({changed, "C", true, true});
  EXPECT_EQ((Texts{"A", "All", "Any", "B"}), Descriptions());
  EXPECT_TRUE(State().downloadList[1].unchanged && State().downloadList[1].alreadyPresent);
  EXPECT_TRUE(State().downloadList[2].unchanged && State().downloadList[2].alreadyPresent);
  EXPECT_FALSE(State().downloadList[3].unchanged || State().downloadList[3].alreadyPresent);
  EXPECT_EQ((Texts{Get("first.dll"), Get("fourth.dll")}), admin.requests);
}

TEST_F(DownloadDriverTest, AMissingPrerequisiteStopsTheRunWhenTheLoaderMayNotInstallIt) {
  ScratchRegistryKey ndp(platform::RegistryRoot::LocalMachine,
                         "SOFTWARE\\Microsoft\\NET Framework setup\\NDP");
  platform::RegistryKey full;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(platform::RegistryRoot::LocalMachine,
                                          ndp.Path() + "\\v4\\Full", full));
  full.WriteDword("Install", 1);
  full.WriteDword("Release", 500);
  const std::string sections =
      Component("Framework", "first.dll", "ForceDownload=v4\r\nNETSP=400\r\nSetup=Y\r\n") +
      Component("Runtime", "second.dll", "ForceDownload=v99\r\nNETSP=1\r\nSetup=Y\r\nRegisterIsolated=Y\r\n") +
      Component("Tool", "third.dll");

  Run({sections});  // an isolated deployment may run a setup that registers isolated
  EXPECT_EQ((Texts{"Runtime", "Tool"}), Descriptions());
  EXPECT_TRUE(Logged("Framework is installed, skipping."));
  EXPECT_EQ("v99", State().dotNetVersion);
  EXPECT_EQ("Runtime", State().dotNetDescription);

  DriverSetup shared{sections, "", false, true};
  shared.startUp = [](CLoader& loader) { loader.State().sharedMode = true; };
  const DriverRun run = Run(shared);
  // The missing-prerequisite page: the text, the framework's download page.
  const std::string text =
      "Runtime is not installed.\r\nApplication will not be able to run.\r\nContact your system "
      "administrator.\r\n\r\nThe download site for the missing prerequisite is opened in a new "
      "browser window. \r\nIf you do not see the new browser window, manually open the following "
      "URL in a Web browser:\r\nhttps://dotnet.microsoft.com/download/dotnet-framework\r\n";
  EXPECT_EQ((Texts{"OnDownloadStart()",
                   "OnError(File='Prerequisite Missing', Description: '" + text + "')",
                   "OnFailure(" + text + ")"}),
            run.events);
  EXPECT_EQ(SessionOutcome::FailureShown, run.outcome);
  EXPECT_EQ(0, run.timerTicks);
  EXPECT_TRUE(State().downloadList.empty());
  EXPECT_TRUE(run.requests.empty());
}

TEST_F(DownloadDriverTest, ALocallyBuiltCopyStaysInDebugMode) {
  const std::string folder = std::string(DeploymentEngine::kDebugRoot) + "\\VarnikDriverTest";
  const std::string local = ReadTestFile(
      FromBuildMachine(std::string(VARNIK_VERSION_FIXTURES) + "/v0_9_9_9999.dll"));
  ASSERT_FALSE(local.empty());
  Put(folder + "\\local.dll", local);
  DriverSetup setup{"[File_Local]\r\nURLName=%URL%/first.dll\r\nShortName=VarnikDriverTest\\local.dll\r\n"
                    "Version=1.0.0.1\r\n"};
  setup.startUp = [](CLoader& loader) { loader.State().debugClient = true; };
  const DriverRun run = Run(setup);
  EXPECT_TRUE(Logged("VarnikDriverTest\\local.dll installed, skipping."));
  EXPECT_TRUE(State().downloadList.empty());
  EXPECT_EQ(local, ReadTestFile(folder + "\\local.dll"));
  RecursiveDirDelete(folder);
}

// A user in isolated mode runs from the administrator's shared folder.
class SharedFolderTest : public DownloadDriverTest {
 protected:
  const std::string sections_ = Component("First", "first.dll");
  // What the administrator deployed, and, with userCopy, what this user
  // registered from it (the same, made with the user's rights).
  DriverSetup SharedDeployment(const std::string& sharedSections, bool userCopy) {
    DriverSetup setup{sections_};
    setup.startUp = [=](CLoader& loader) {
      const std::string key = loader.Engine().ServerKey();
      const std::string shared = DeploymentRoot(false) + "\\shared";
      const std::string own = DeploymentRoot(true) + "\\own";
      const std::string common = "[Common Data]\r\nDestination=" + destination_ + "\r\n";
      Put(DeploymentRoot(false) + "\\Deployments.ini",
          "[" + key + "]\r\nFolder=" + shared + "\r\nSharedDeployment=Y\r\n");
      Put(shared + "\\merged-setup.ini", common + "DeployedWithAdmin=Y\r\n" + sharedSections);
      RecursiveDirDelete(DeploymentRoot(true));
      if (!userCopy) return;
      Put(DeploymentRoot(true) + "\\Deployments.ini",
          "[" + key + "]\r\nFolder=" + own + "\r\nRunFromSharedFolder=Y\r\n");
      Put(own + "\\merged-setup.ini", common + "DeployedWithAdmin=N\r\n" + sharedSections);
    };
    return setup;
  }
};

TEST_F(SharedFolderTest, OutOfDateSharedFolderStopsTheRun) {
  const DriverRun run = Run(SharedDeployment("", false));
  const std::string text = resources::Text(resources::kSharedFolderOutOfDate);
  EXPECT_EQ((Texts{"OnDownloadStart()", "OnFailure(" + text + ")"}), run.events);
  EXPECT_EQ(0, run.timerTicks);
  EXPECT_TRUE(State().downloadList.empty());
}

TEST_F(SharedFolderTest, RegisteredUserSkipsEverythingAndANewUserRegistersWithoutFetching) {
  Run(SharedDeployment(sections_, true));
  EXPECT_TRUE(Logged("Running from shared deployment folder,skipping:bin\\first.dll"));
  EXPECT_TRUE(State().downloadList.empty());

  const DriverRun run = Run(SharedDeployment(sections_, false));
  ASSERT_EQ(Texts{"First"}, Descriptions());
  EXPECT_TRUE(State().downloadList[0].unchanged && State().downloadList[0].alreadyPresent);
  EXPECT_EQ(Texts{"OnDownloadStart()"}, run.events);
  EXPECT_TRUE(run.requests.empty());
  EXPECT_EQ(1, run.timerTicks);
}

}  // namespace
