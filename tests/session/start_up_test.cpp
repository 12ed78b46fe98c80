#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/BrowserHost.h"
#include "platform/DebugOutput.h"
#include "session/ResourceStrings.h"
#include "session/SessionLocks.h"
#include "session_fixture.h"
#include "system_probes.h"

namespace {

using platform::WindowRect;

// A container that records the rectangles given to the control's in-place
// object.
class RecordingHost : public NoContainer {
 public:
  std::vector<WindowRect> rects;
  void SetObjectRects(const WindowRect& rect) override { rects.push_back(rect); }
};

// Records the stages the messages reach instead of running them.
class StageRecorder : public CLoader {
 public:
  StageRecorder(LoaderHost& host, std::vector<std::string>& stages)
      : CLoader(host), stages_(stages) {}
  intptr_t OnStartSetup() override { return Record("OnStartSetup"); }
  intptr_t OnStartDownload() override { return Record("OnStartDownload"); }
  intptr_t OnTimer() override { return Record("OnTimer"); }
  intptr_t OnHostMainUI() override { return Record("OnHostMainUI"); }

 private:
  intptr_t Record(const char* stage) {
    stages_.push_back(stage);
    return 0;
  }
  std::vector<std::string>& stages_;
};

class StartUpTest : public SessionTest {
 protected:
  StartUpTest() {
    loader_ = std::make_unique<StageRecorder>(recordingHost_, stages_);
    loader_->Events().Advise(sink_);
  }
  // The recorder refers to this fixture's members.
  ~StartUpTest() override { loader_.reset(); }
  platform::WindowHandle Control() const { return loader_->ControlWindow(); }

  std::vector<std::string> stages_;
  RecordingHost recordingHost_;
};

TEST_F(StartUpTest, HostStartPostsStartSetupOnceTheLoopRuns) {
  CreateControl();
  EXPECT_TRUE(stages_.empty());  // posted, not called
  Pump();
  EXPECT_EQ(std::vector<std::string>{"OnStartSetup"}, stages_);
  EXPECT_EQ(platform::HostKind::Unknown, platform::CurrentHostKind());
  EXPECT_EQ(!platform::BrowserHostSupported(),
            debug_.Mentions("No browser hosts the control here"));

  // The same again on WM_LOADER_HOST_START, even with the session lock
  // already held by this thread.
  {
    std::lock_guard<std::recursive_mutex> session(SessionLock());
    intptr_t result = -1;
    EXPECT_TRUE(loader_->HandleMessage(0xBD0, 0, 0, result));
  }
  Pump();
  EXPECT_EQ((std::vector<std::string>{"OnStartSetup", "OnStartSetup"}), stages_);
}

TEST_F(StartUpTest, PrivateMessagesReachTheirHandlersByTheirFixedNumbers) {
  CreateControl();
  Pump();
  stages_.clear();
  for (uint32_t message : {0x4C7u, 0x4CAu, 0x4C8u})
    platform::PostWindowMessage(Control(), message, 0, 0);
  Pump();
  EXPECT_EQ((std::vector<std::string>{"OnStartDownload", "OnHostMainUI", "OnStartSetup"}), stages_);

  // Timer 1 drives completion.
  ASSERT_TRUE(platform::SetWindowTimer(Control(), kCompletionTimerId, 10));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (stages_.back() != "OnTimer" && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Pump();
  }
  EXPECT_EQ("OnTimer", stages_.back());
  EXPECT_TRUE(platform::KillWindowTimer(Control(), kCompletionTimerId));
}

TEST_F(StartUpTest, InlineMessagesDoTheirWorkInPlace) {
  CreateControl();
  Pump();
  journal_.clear();

  platform::PostWindowMessage(Control(), 0x7EA, 0, 0);       // single sign-out
  platform::PostWindowMessage(Control(), 0x7E8, 0x1234, 0);  // a client window registers
  Pump();
  EXPECT_TRUE(debug_.Contains("CLoader::OnSlo slo message received"));
  EXPECT_EQ(std::vector<std::string>{"OnSlo()"}, journal_);
  EXPECT_EQ(0x1234u, loader_->State().clientWindow);

  const platform::DeviceContext context = platform::AcquireDeviceContext(Control());
  ASSERT_NE(0u, context);
  EXPECT_EQ(2, platform::ReadBackgroundMode(context));  // opaque
  EXPECT_EQ(0, platform::SendWindowMessage(Control(), 0x4C9, context, 0));
  EXPECT_EQ(1, platform::ReadBackgroundMode(context));  // transparent
  platform::ReleaseDeviceContext(Control(), context);

  platform::PostWindowMessage(Control(), 0x4CB, 0, 0);  // start-up could not begin
  Pump();
  const std::string failed = resources::Text(resources::kInitializationFailed);
  EXPECT_EQ("OnFailure(" + failed + ")", journal_.back());
  const std::vector<platform::WindowHandle> children = platform::ChildWindows(Control());
  ASSERT_EQ(1u, children.size());
  EXPECT_EQ(failed, platform::ReadWindowText(children[0]));
}

TEST_F(StartUpTest, NewPositionsGoToTheInPlaceObjectOnce) {
  CreateControl(400, 200);
  ASSERT_FALSE(recordingHost_.rects.empty());
  EXPECT_EQ((WindowRect{0, 0, 400, 200}), recordingHost_.rects.back());
  const size_t seen = recordingHost_.rects.size();
  platform::MoveWindowTo(Control(), 5, 6, 300, 100, true);
  ASSERT_EQ(seen + 1, recordingHost_.rects.size());
  EXPECT_EQ((WindowRect{5, 6, 305, 106}), recordingHost_.rects.back());
  platform::MoveWindowTo(Control(), 5, 6, 300, 100, true);
  EXPECT_EQ(seen + 1, recordingHost_.rects.size());
}

TEST(UnhandledExceptionText, NamesCodeAddressAndFlagsWhenKnown) {
  EXPECT_EQ("Loader - Unhandled exception occured.", CLoader::UnhandledExceptionText(nullptr));
  platform::ExceptionFacts facts;
  facts.code = 0xC0000005;
  facts.address = 0x401A2B;
  facts.flags = 1;
  EXPECT_EQ(
      "Loader - Unhandled exception occured. Exception Code:0xC0000005 Address:0x401A2B "
      "Flags:0x1",
      CLoader::UnhandledExceptionText(&facts));
}

void ReportToStandardError(const platform::ExceptionFacts* facts) {
  std::fprintf(stderr, "%s\n", CLoader::UnhandledExceptionText(facts).c_str());
}

void Fault() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

// The handler's code may be unloaded with the last control (varnik.dll).
TEST_F(SessionTest, TheFaultHandlerBeforeStartUpIsPutBackWhenTheLastControlGoes) {
  const uintptr_t before = CurrentFaultHandler();
  CreateControl();
  const uintptr_t installed = CurrentFaultHandler();
  EXPECT_NE(before, installed);
  NoContainer otherHost;
  auto other = std::make_unique<CLoader>(otherHost);
  ASSERT_TRUE(other->CreateControlWindow(hostWindow_));
  loader_.reset();
  EXPECT_EQ(installed, CurrentFaultHandler()) << "the other control still holds it";
  other.reset();
  EXPECT_EQ(before, CurrentFaultHandler());
}

TEST(UnhandledExceptionFilterDeathTest, AFaultEndsTheProcessWithExitCodeOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::InstallUnhandledExceptionFilter(ReportToStandardError);
        Fault();
      },
      ::testing::ExitedWithCode(1),
      "Loader - Unhandled exception occured. Exception Code:0xC0000005");
}

}  // namespace
