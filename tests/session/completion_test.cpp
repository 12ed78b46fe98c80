// Completion from the state the download driver leaves: the wait for
// unfinished transfers, the clean-up, and the three endings.
#include <gtest/gtest.h>

#include "completion_fixture.h"
#include "message_box_watch.h"
#include "platform/LastError.h"
#include "session/FailureReport.h"
#include "session/ResourceStrings.h"
#include "test_files.h"

namespace {

CIniFile Recorded(const std::string& path) {
  CIniFile file;
  file.Load(path);
  return file;
}

TEST_F(CompletionTest, InstallationOnlyWaitsForTheTransfersThenRecordsAndEndsReady) {
  Prepare();
  AddRecord("a.dll");
  AddRecord("b.dll", false);  // still transferring
  State().installationOnly = -1;
  State().newFlavorContent = true;
  State().progressComponentsWindow = platform::CreateChildWindow(
      loader_->ControlWindow(), "msctls_progress32", "", platform::kWsChild, 0, 0, 10, 10);
  platform::SetWindowTimer(loader_->ControlWindow(), kCompletionTimerId, kCompletionTimerMs);
  PumpFor(300);
  EXPECT_TRUE(end_.ends.empty());
  EXPECT_TRUE(PathExists(File("Downloaded.txt")));
  EXPECT_EQ(0, network_.releases);

  loader_->Progress().FinishProgressEntry(1);
  EXPECT_EQ("ready", RunToEnd());
  EXPECT_EQ(std::vector<std::string>{"OnReady()"}, journal_);
  EXPECT_EQ(1, network_.releases);
  EXPECT_FALSE(PathExists(File("Downloaded.txt")));
  EXPECT_TRUE(State().downloadList.empty());
  EXPECT_EQ(0u, State().progressComponentsWindow);
  EXPECT_TRUE(platform::ChildWindows(loader_->ControlWindow()).empty());
  EXPECT_TRUE(Logged("INFO", "CLoader::OnTimer", "DESTORY - m_hWndProgressComponents"));
  EXPECT_TRUE(Logged("INFO", "CLoader::OnTimer", "DownloadParams cleared"));
  // The merged descriptor is the record, with the flavour now deployed.
  const CIniFile record = Recorded(loader_->Engine().GetMergedSetupPath(false));
  EXPECT_EQ("Full", record.GetValue("Common Data", "LastFlavor"));
  EXPECT_EQ("client", record.GetValue("File_Client", "ShortName"));
  EXPECT_EQ(0u, State().hostedUiWindow) << "nothing launched";
}

TEST_F(CompletionTest, AFlavourNotNewlyDeployedKeepsTheLastOne) {
  Prepare();
  CIniFile previous = State().mergedSetup;
  previous.SetCurrentSection("Common Data");
  previous.SetValue("LastFlavor", "Lite");
  ASSERT_TRUE(previous.Save(loader_->Engine().GetMergedSetupPath(false)));
  State().installationOnly = -1;
  EXPECT_EQ("ready", RunToEnd());
  EXPECT_EQ("Lite", Recorded(loader_->Engine().GetMergedSetupPath(false))
                        .GetValue("Common Data", "LastFlavor"));
}

TEST_F(CompletionTest, FailuresAreShownAndNothingIsRecordedOrStarted) {
  Prepare();
  AddRecord("a.dll");
  SetMain("VUVuzaro.UI.Application", "client");
  platform::SetLastErrorCode(0);
  loader_->TraceError("a.dll", "Cannot download.");
  EXPECT_EQ("failure", RunToEnd());
  ASSERT_EQ(2u, journal_.size());  // the entry's OnError, then the failure
  EXPECT_EQ(0u, journal_[1].find("OnFailure(Following client components were not downloaded "
                                 "successfully: \r\n\r\n1 . a.dll :\r\nCannot download.\r\n"));
  EXPECT_NE(std::string::npos,
            journal_[1].find(resources::Text(resources::kCloseConnections)));
  EXPECT_TRUE(Logged("WARNING", "CLoader::OnTimer",
                     "If download issue persists, try disabling server side static content "
                     "cache by setting STATIC_CONTENT_MAX_CACHED_FILE_SIZE site parameter to 0."));
  EXPECT_FALSE(PathExists(loader_->Engine().GetMergedSetupPath(false)));
  EXPECT_FALSE(PathExists(File("Downloaded.txt")));
  PumpFor(100);
  EXPECT_EQ(0u, State().hostedUiWindow);
  EXPECT_FALSE(FailureReport::Instance().HasEntries());
}

TEST_F(CompletionTest, AnIncompatibleServerEndsAnInstallationOnlyRunWithItsText) {
  Prepare();
  State().installationOnly = -1;
  State().serverIncompatible = true;
  EXPECT_EQ("failure", RunToEnd());
  EXPECT_EQ(std::vector<std::string>{"OnFailure(" +
                                     resources::Text(resources::kServerIncompatible) + ")"},
            journal_);
  EXPECT_FALSE(PathExists(loader_->Engine().GetMergedSetupPath(false)));
}

TEST_F(CompletionTest, NothingToStartSaysFailedInABox) {
  Prepare();
  MessageBoxWatch boxes;
  EXPECT_EQ("failure:Failed", RunToEnd());
  EXPECT_EQ(std::vector<std::string>{"|Failed"}, boxes.Seen());
  EXPECT_TRUE(PathExists(File("Downloaded.txt"))) << "completion did not run";
}

}  // namespace
