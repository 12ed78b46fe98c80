#include <gtest/gtest.h>

#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"
#include "session_fixture.h"

namespace {

using platform::WindowHandle;
using platform::WindowRect;

class ProgressViewTest : public SessionTest {
 protected:
  int32_t Add(const std::string& statusLine, bool alreadyPresent = false) {
    CDataStructure record;
    record.alreadyPresent = alreadyPresent;
    return loader_->Progress().AddProgressBar(statusLine, record);
  }
  static intptr_t Ask(WindowHandle bar, uint32_t message) {
    return platform::SendWindowMessage(bar, message, 0, 0);
  }
  const SessionState& State() { return loader_->State(); }
};

TEST_F(ProgressViewTest, RowsOfA400By200ControlAndTheirColours) {
  loader_->Properties().put_ProgColor("#FF");
  loader_->Properties().put_ProgBkColor("65280");
  CreateControl(400, 200);
  EXPECT_EQ(0, Add("Download first in progress ..."));
  EXPECT_EQ(1, Add("Download second in progress ..."));
  Pump();  // the colours and steps are posted

  const SessionState& state = State();
  ASSERT_NE(0u, state.componentsTextWindow);
  ASSERT_NE(0u, state.progressComponentsWindow);
  ASSERT_EQ(2u, state.statusWindows.size());
  EXPECT_EQ((WindowRect{100, 64, 300, 82}), RelativeRect(state.componentsTextWindow));
  EXPECT_EQ((WindowRect{100, 82, 300, 100}), RelativeRect(state.progressComponentsWindow));
  for (size_t i = 0; i < 2; ++i) {
    // Each record's rows cover the previous record's.
    EXPECT_EQ((WindowRect{100, 118, 300, 136}), RelativeRect(state.statusWindows[i]));
    EXPECT_EQ((WindowRect{100, 136, 300, 154}), RelativeRect(state.fileProgressWindows[i]));
    EXPECT_TRUE(
        platform::OrdinalEqualsNoCase("static", platform::ReadClassName(state.statusWindows[i])));
    EXPECT_TRUE(platform::OrdinalEqualsNoCase(
        "msctls_progress32", platform::ReadClassName(state.fileProgressWindows[i])));
  }
  EXPECT_EQ("Download second in progress ...", platform::ReadWindowText(state.statusWindows[1]));
  EXPECT_EQ("", platform::ReadWindowText(state.componentsTextWindow));
  for (WindowHandle bar : {state.progressComponentsWindow, state.fileProgressWindows[1]}) {
    EXPECT_EQ(255, Ask(bar, platform::kPbmGetBarColor));
    EXPECT_EQ(0xFF00, Ask(bar, platform::kPbmGetBkColor));
    EXPECT_EQ(1, Ask(bar, platform::kPbmGetStep));
  }
  EXPECT_EQ((std::deque<int>{0, 0}), state.finishedMarks);

  const char* location = "CLoader::AddProgressBar";
  EXPECT_TRUE(Logged("INFO", location, "[m_Finish] updated with false"));
  EXPECT_TRUE(Logged("INFO", location, "Create window for ProgressComponents"));
  EXPECT_TRUE(Logged("INFO", location, "ProgressComponents already exists."));
  WindowRect screen;
  ASSERT_TRUE(platform::ReadWindowRect(state.statusWindows[0], screen));
  EXPECT_TRUE(Logged("INFO", "CLoader::CheckWindow",
                     Format("hWndStatic created hwnd=0x%llx, rect=(%d,%d,%d,%d)",
                            static_cast<unsigned long long>(state.statusWindows[0]), screen.left,
                            screen.top, screen.right, screen.bottom)));
}

TEST_F(ProgressViewTest, PresentRecordsGetEmptyEntriesAndFinishingRemovesWindowsOnce) {
  CreateControl(400, 200);
  EXPECT_EQ(0, Add("Download a complete.", true));
  EXPECT_TRUE(
      Logged("INFO", "CLoader::AddProgressBar", "Download completed, update static handles."));
  EXPECT_TRUE(platform::ChildWindows(loader_->ControlWindow()).empty());
  EXPECT_EQ(1, Add("Download b in progress ..."));
  EXPECT_FALSE(loader_->Progress().AllEntriesFinished());

  const WindowHandle status = State().statusWindows[1];
  const WindowHandle bar = State().fileProgressWindows[1];
  loader_->Progress().FinishProgressEntry(-1);
  loader_->Progress().FinishProgressEntry(2);
  EXPECT_TRUE(platform::IsWindowAlive(status));
  loader_->Progress().FinishProgressEntry(0);  // an empty entry has nothing to remove
  loader_->Progress().FinishProgressEntry(1);
  EXPECT_FALSE(platform::IsWindowAlive(status));
  EXPECT_FALSE(platform::IsWindowAlive(bar));
  EXPECT_TRUE(loader_->Progress().AllEntriesFinished());
  loader_->Progress().FinishProgressEntry(1);  // reported twice: nothing left to touch
  // The text line and the overall bar stay.
  EXPECT_EQ(2u, platform::ChildWindows(loader_->ControlWindow()).size());
}

TEST_F(ProgressViewTest, ResizingMovesEveryRowAndKeepsTheTexts) {
  CreateControl(400, 200);
  Add("Download a in progress ...");
  loader_->Progress().ShowProgressStep(0, 2, "a");
  ASSERT_TRUE(platform::MoveWindowTo(loader_->ControlWindow(), 0, 0, 800, 400, true));
  const SessionState& state = State();
  EXPECT_EQ((WindowRect{200, 164, 600, 182}), RelativeRect(state.componentsTextWindow));
  EXPECT_EQ((WindowRect{200, 182, 600, 200}), RelativeRect(state.progressComponentsWindow));
  EXPECT_EQ((WindowRect{200, 218, 600, 236}), RelativeRect(state.statusWindows[0]));
  EXPECT_EQ((WindowRect{200, 236, 600, 254}), RelativeRect(state.fileProgressWindows[0]));
  EXPECT_EQ("Download a in progress ...", platform::ReadWindowText(state.statusWindows[0]));
  EXPECT_EQ("Total progress 50%", platform::ReadWindowText(state.componentsTextWindow));
}

TEST_F(ProgressViewTest, StepsRaiseProgressAndMoveTheOverallBar) {
  CreateControl(400, 200);
  Add("Download a in progress ...");
  Add("Download b in progress ...");
  const WindowHandle text = State().componentsTextWindow;
  const WindowHandle overall = State().progressComponentsWindow;
  loader_->Progress().ShowProgressStep(0, 2, "first");
  EXPECT_EQ("Total progress 50%", platform::ReadWindowText(text));
  EXPECT_EQ(0, Ask(overall, platform::kPbmGetPos));
  loader_->Progress().ShowProgressStep(1, 2, "second");
  EXPECT_EQ("Total progress 100%", platform::ReadWindowText(text));
  EXPECT_EQ(100, Ask(overall, platform::kPbmGetPos));
  // One record never moves the bar; a count of 0 or a position outside it
  // does nothing at all.
  platform::SendWindowMessage(overall, platform::kPbmSetPos, 7, 0);
  loader_->Progress().ShowProgressStep(0, 1, "only");
  EXPECT_EQ(7, Ask(overall, platform::kPbmGetPos));
  loader_->Progress().ShowProgressStep(0, 0, "none");
  loader_->Progress().ShowProgressStep(3, 2, "beyond");
  EXPECT_EQ(
      (std::vector<std::string>{"OnDownloadProgress(1,2,first)", "OnDownloadProgress(2,2,second)",
                                "OnDownloadProgress(1,1,only)"}),
      journal_);
}

// Records the byte counts next to the events, in one journal.
class JournalMeter : public TransferMeter {
 public:
  explicit JournalMeter(std::vector<std::string>& journal) : journal_(journal) {}
  void OnTransferBytes(int32_t position, uint64_t received, uint64_t expected) override {
    journal_.push_back(Format("bytes(%d,%llu,%llu)", position,
                              static_cast<unsigned long long>(received),
                              static_cast<unsigned long long>(expected)));
  }

 private:
  std::vector<std::string>& journal_;
};

TEST_F(ProgressViewTest, FileProgressIsAPercentageOfKnownSizesOnly) {
  CreateControl(400, 200);
  Add("Download a in progress ...");
  const WindowHandle bar = State().fileProgressWindows[0];
  ProgressView& view = loader_->Progress();
  JournalMeter meter(journal_);
  view.SetTransferMeter(&meter);
  view.ReportFileProgress(0, 512, 2048);
  EXPECT_EQ(25, Ask(bar, platform::kPbmGetPos));
  view.ReportFileProgress(0, uint64_t{3} << 60, uint64_t{1} << 62);  // no overflow
  EXPECT_EQ(75, Ask(bar, platform::kPbmGetPos));
  view.ReportFileProgress(0, 10, 0);   // size unknown
  view.ReportFileProgress(1, 10, 20);  // no such record
  view.ReportFileProgress(-1, 10, 20);
  view.ReportFileProgress(0, 30, 20);  // more than announced
  // The meter hears every report of a valid record, an unknown size too,
  // before the event.
  EXPECT_EQ((std::vector<std::string>{
                "bytes(0,512,2048)", "OnFileDownloadProgress(25)",
                "bytes(0,3458764513820540928,4611686018427387904)", "OnFileDownloadProgress(75)",
                "bytes(0,10,0)", "bytes(0,30,20)", "OnFileDownloadProgress(100)"}),
            journal_);
  view.SetTransferMeter(nullptr);
}

TEST_F(ProgressViewTest, ARegisteredClientWindowFitsTheControlToTheTopLevelWindow) {
  CreateControl(400, 200);
  const WindowHandle control = loader_->ControlWindow();
  platform::PostWindowMessage(control, 0x7E9, 0, 0);  // WM_LOADER_FIT_TO_FRAME, no client yet
  Pump();
  WindowRect rect;
  ASSERT_TRUE(platform::ReadPositionRect(control, rect));
  EXPECT_EQ((WindowRect{0, 0, 400, 200}), rect);

  const WindowHandle client =
      platform::CreateChildWindow(control, "static", "client", platform::kWsChild, 0, 0, 10, 10);
  ASSERT_NE(0u, client);
  platform::PostWindowMessage(control, 0x7E8, client, 0);  // WM_LOADER_REGISTER_CLIENT_WINDOW
  platform::PostWindowMessage(control, 0x7E9, 0, 0);
  Pump();
  EXPECT_EQ(client, State().clientWindow);
  ASSERT_TRUE(platform::ReadPositionRect(control, rect));
  EXPECT_EQ((WindowRect{0, 0, 800, 600}), rect);
  // Laying out fits the client to the control.
  ASSERT_TRUE(platform::ReadPositionRect(client, rect));
  EXPECT_EQ((WindowRect{0, 0, 800, 600}), rect);
}

}  // namespace
