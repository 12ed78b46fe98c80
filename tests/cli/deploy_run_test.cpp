#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "cli/DeployRun.h"
#include "cli_fakes.h"
#include "interrupt.h"
#include "platform/LastError.h"
#include "session/FailureReport.h"
#include "test_machine.h"

namespace {

using Json = nlohmann::json;

// A session whose start-up checks are a script of the test's.
class ScriptedLoader : public CLoader {
 public:
  ScriptedLoader(LoaderHost& host, std::function<void(CLoader&)> script)
      : CLoader(host), script_(std::move(script)) {}
  intptr_t OnStartSetup() override {
    script_(*this);
    return 0;
  }

 private:
  std::function<void(CLoader&)> script_;
};

class DeployRunTest : public MachineTest {
 protected:
  DeployRunTest() { FailureReport::Instance().Clear(); }
  ~DeployRunTest() override { FailureReport::Instance().Clear(); }

  int Run(CLoader& loader, const std::vector<std::string>& params = {}) {
    std::vector<PropertyAssignment> assignments;
    for (const std::string& text : params) {
      PropertyAssignment assignment;
      std::string error;
      EXPECT_TRUE(ParseAssignment(text, "--param", assignment, error)) << error;
      assignments.push_back(assignment);
    }
    DeployRun run(loader, terminal_, ProgressMode::Plain, clock_);
    run.AddJsonOutput(events_);
    return run.Run(assignments);
  }

  std::vector<Json> Events() const {
    std::vector<Json> lines;
    std::istringstream in(events_.str());
    for (std::string line; std::getline(in, line);) lines.push_back(Json::parse(line));
    return lines;
  }

  std::vector<std::string> EventNames() const {
    std::vector<std::string> names;
    for (const Json& line : Events()) names.push_back(line["event"]);
    return names;
  }

  NoContainer host_;
  FakeClock clock_;
  RecordingTerminal terminal_;
  std::ostringstream events_;
};

TEST_F(DeployRunTest, AStartUpThatStopsSilentlyEndsTheRunAsStoppedAndSaysWhy) {
  // An installation-package page on a machine without the package.
  CLoader loader(host_);
  EXPECT_EQ(kExitStopped, Run(loader, {"TkRootURL=http://h/root/", "SetupFile=http://h/root/Setup.cab",
                                       "MsiDeployment=true", "IsolatedDeployment=true"}));
  EXPECT_EQ("http://h/root", loader.State().tkRootUrl);
  const std::vector<Json> events = Events();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ("end", events[0]["event"]);
  EXPECT_EQ("stopped", events[0]["outcome"]);
  EXPECT_EQ(3, events[0]["exitCode"]);
  const std::string reason = "Could not find an MSI deployment, but MsiDeployment property was set to true";
  EXPECT_EQ(reason, events[0]["reason"]);
  EXPECT_EQ("Stopped without a failure: " + reason + "\n", terminal_.All());
  EXPECT_EQ(0u, loader.ControlWindow());  // the windows are gone again
}

TEST_F(DeployRunTest, AFailureIsPrintedWithItsReportAndEndsWithOne) {
  int32_t width = 0, height = 0;
  ScriptedLoader loader(host_, [&](CLoader& session) {
    platform::WindowRect position;
    platform::ReadPositionRect(session.ControlWindow(), position);
    width = position.Width();
    height = position.Height();
    session.Events().Fire_OnDownloadStart();
    CDataStructure record;
    session.Progress().AddProgressBar("Download Main client in progress ...", record);
    session.Progress().ShowProgressStep(0, 1, "Main client");
    session.Progress().ReportFileProgress(0, 512, 1024);
    platform::SetLastErrorCode(0);
    session.TraceError("a.dll", "Cannot download.");
    session.ReportFailure(FailureReport::Instance().TakeText());
  });
  EXPECT_EQ(kExitFailureShown, Run(loader, {"_cx=5292", "_cy=2646"}));
  EXPECT_EQ(200, width);
  EXPECT_EQ(100, height);

  EXPECT_EQ((std::vector<std::string>{"download-start", "download-progress", "file-progress",
                                      "error", "failure", "end"}),
            EventNames());
  const std::vector<Json> events = Events();
  EXPECT_EQ(50, events[2]["percentage"]);
  EXPECT_EQ(512, events[2]["received"]);
  EXPECT_EQ(1024, events[2]["expected"]);
  EXPECT_EQ("File='a.dll', Description: 'Cannot download.'", events[3]["message"]);
  EXPECT_NE(std::string::npos, std::string(events[4]["message"]).find("1 . a.dll :"));
  EXPECT_EQ("failure", events[5]["outcome"]);
  EXPECT_EQ(1, events[5]["exitCode"]);

  const std::string printed = terminal_.All();
  EXPECT_NE(std::string::npos,
            printed.find("Total progress 100% (1 of 1): Download Main client in progress ...\n"));
  EXPECT_NE(std::string::npos, printed.find("[1/1] 50% (512 B of 1.0 KiB)\n"));
  EXPECT_NE(std::string::npos, printed.find("Deployment failed:\nFollowing client components"));
  const std::string closing = "Deployment failed.\n";
  ASSERT_GE(printed.size(), closing.size());
  EXPECT_EQ(closing, printed.substr(printed.size() - closing.size()));
}

TEST_F(DeployRunTest, EachWayOfEndingHasItsExitStatus) {
  const std::vector<std::pair<SessionOutcome, int>> cases = {
      {SessionOutcome::Ready, kExitDeployed},
      {SessionOutcome::ClientStarted, kExitDeployed},
      {SessionOutcome::Stopped, kExitStopped},
  };
  for (const auto& [outcome, status] : cases) {
    events_.str("");
    ScriptedLoader loader(host_, [outcome = outcome](CLoader& session) {
      if (outcome == SessionOutcome::Ready) session.Events().Fire_OnReady();
      session.EndSession(outcome, "");
    });
    EXPECT_EQ(status, Run(loader)) << SessionOutcomeName(outcome);
    EXPECT_EQ(SessionOutcomeName(outcome), Events().back()["outcome"]);
  }
}

TEST_F(DeployRunTest, CtrlCStopsTheLoopAndTheRunEndsAsInterrupted) {
  if (!CanSendInterrupt())
    GTEST_SKIP() << "no console of this process's own to raise Ctrl-C in (Wine without a "
                    "terminal refuses AllocConsole and GenerateConsoleCtrlEvent)";
  std::atomic<bool> waiting{false};
  // Start-up that never ends the session by itself.
  ScriptedLoader loader(host_, [&](CLoader&) { waiting = true; });
  std::thread interrupter([&] {
    while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    SendInterrupt();
  });
  const int status = Run(loader);
  interrupter.join();
  EXPECT_EQ(kExitStopped, status);
  EXPECT_EQ((std::vector<std::string>{"end"}), EventNames());
  EXPECT_EQ("interrupted", Events()[0]["outcome"]);
  EXPECT_EQ("Interrupted: the deployment was stopped.\n", terminal_.All());
}

// A step that blocks the thread (a stalled transfer) keeps Ctrl-C's message
// from the loop; when the session ends first, the run is still interrupted.
TEST_F(DeployRunTest, CtrlCDuringABlockingStepWinsOverTheSessionsOwnEnd) {
  if (!CanSendInterrupt())
    GTEST_SKIP() << "no console of this process's own to raise Ctrl-C in (Wine without a "
                    "terminal refuses AllocConsole and GenerateConsoleCtrlEvent)";
  ScriptedLoader loader(host_, [](CLoader& session) {
    SendInterrupt();
    // The watch's thread takes it while this one is busy.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    session.ReportFailure("Failed to download this file - VuvoViziz_setup.cab");
  });
  EXPECT_EQ(kExitStopped, Run(loader));
  EXPECT_EQ("interrupted", Events().back()["outcome"]);
}

}  // namespace
