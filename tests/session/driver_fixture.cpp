#include "driver_fixture.h"

#include <chrono>
#include <thread>

#include "deployment/SystemFolders.h"
#include "infra/RecursiveDirDelete.h"
#include "infra/StringHelpers.h"
#include "platform/MessageLoop.h"
#include "platform/WindowSystem.h"
#include "session/FailureReport.h"
#include "session/SiteLock.h"
#include "session_fixture.h"
#include "test_files.h"

namespace {

constexpr char kTestFolder[] = "\\VarnikDriverTest\\";

// Moves the overall bar to 37 when a step is announced, so a step that
// leaves the bar alone shows; notes the rows at the step's first file
// progress report.
class RowSpy : public LoaderEventSink {
 public:
  RowSpy(SessionState& state, std::vector<std::string>& rows) : state_(state), rows_(rows) {}

  platform::HResult OnDownloadProgress(int32_t, int32_t, const std::string&) override {
    pending_ = true;
    platform::SendWindowMessage(state_.progressComponentsWindow, platform::kPbmSetPos, 37, 0);
    return platform::kSOk;
  }
  platform::HResult OnFileDownloadProgress(int32_t) override {
    if (!pending_) return platform::kSOk;
    pending_ = false;
    const intptr_t bar =
        platform::SendWindowMessage(state_.progressComponentsWindow, platform::kPbmGetPos, 0, 0);
    rows_.push_back(platform::ReadWindowText(state_.componentsTextWindow) + "|" +
                    std::to_string(bar) + "|" +
                    platform::ReadWindowText(state_.statusWindows.back()));
    return platform::kSOk;
  }
  platform::HResult OnReady() override { return platform::kSOk; }
  platform::HResult OnUIActive() override { return platform::kSOk; }
  platform::HResult OnError(const std::string&) override { return platform::kSOk; }
  platform::HResult OnFailure(const std::string&) override { return platform::kSOk; }
  platform::HResult OnDownloadStart() override { return platform::kSOk; }
  platform::HResult OnSlo() override { return platform::kSOk; }

 private:
  SessionState& state_;
  std::vector<std::string>& rows_;
  bool pending_ = false;
};

std::string LastComponent(const std::string& path) {
  const size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? path : path.substr(last + 1);
}

}  // namespace

intptr_t DriverLoader::OnStartSetup() {
  platform::PostWindowMessage(ControlWindow(), WM_LOADER_START_DOWNLOAD, 0, 0);
  return 0;
}

intptr_t DriverLoader::OnTimer() {
  ++timerTicks;
  platform::KillWindowTimer(ControlWindow(), kCompletionTimerId);
  EndSession(SessionOutcome::Ready);
  return 0;
}

DriverTest::DriverTest()
    : root_(PlatformRoot()),
      trust_(FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CA"))),
      hostWindow_(platform::CreateHostWindow("driver test", 800, 600)) {
  // Under Wine every test of the run shares the user's folders: each test
  // deploys below a folder of its own.
  destination_ = std::string("%AppData%") + kTestFolder + LastComponent(machine_.ScratchFolder());
  FailureReport::Instance().Clear();
  SetSiteLockFlag(false);
}

DriverTest::~DriverTest() {
  loader_.reset();
  platform::DestroyWindowNow(hostWindow_);
  int quitCode = 0;
  platform::DispatchWaitingMessages(quitCode);
  FailureReport::Instance().Clear();
  for (bool perUser : {true, false}) RecursiveDirDelete(DeploymentRoot(perUser));
}

std::string DriverTest::DeploymentRoot(bool perUser) const {
  std::string folder;
  SystemFolders::Default().AppDataFolder(perUser, folder);
  return folder + kTestFolder + LastComponent(machine_.ScratchFolder());
}

bool DriverTest::Logged(const std::string& message) const {
  return debug_.Contains("ZEL\tINFO\tCLoader::OnStartDownload\t" + message + "\t");
}

DriverRun DriverTest::Run(const DriverSetup& setup) {
  loader_.reset();
  journal_.clear();
  rows_.clear();
  outcome_.reset();
  FailureReport::Instance().Clear();
  loader_ = std::make_unique<DriverLoader>(host_);
  loader_->SetEndSink(this);
  loader_->Events().Advise(std::make_shared<RecordingSink>(journal_));
  loader_->Events().Advise(std::make_shared<RowSpy>(loader_->State(), rows_));

  LoaderProperties& properties = loader_->Properties();
  properties.put_TkRootURL(root_);
  properties.put_SetupFile(root_ + "/client/setup.cab");
  properties.put_IsolatedDeployment(setup.isolated ? -1 : 0);
  properties.put_DownloadContentFlavor(setup.flavor);
  SessionState& state = loader_->State();
  state.setupFileName = "setup.ini";  // the merged descriptor's own name
  state.userIsAdminKnown = true;
  state.userIsAdmin = setup.admin;
  const std::string descriptor = machine_.ScratchFolder() + "\\download_all.ini";
  EXPECT_TRUE(WriteTestFile(
      descriptor, "[Common Data]\r\nDestination=" + destination_ + "\r\n" + setup.sections));
  EXPECT_TRUE(state.mergedSetup.Load(descriptor));
  if (setup.startUp) setup.startUp(*loader_);
  state.deploymentFolder = loader_->Engine().GetCurrentDeploymentFolder();
  state.deploymentEngineInitialized = true;

  const ServedRequestLog served;
  EXPECT_TRUE(loader_->CreateControlWindow(hostWindow_));
  platform::MoveWindowTo(loader_->ControlWindow(), 0, 0, 400, 200, true);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int quitCode = 0;
  while (!outcome_ && std::chrono::steady_clock::now() < deadline) {
    platform::DispatchWaitingMessages(quitCode);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_TRUE(outcome_.has_value()) << "the session did not end";

  DriverRun run;
  run.events = journal_;
  run.outcome = outcome_;
  run.timerTicks = loader_->timerTicks;
  run.requests = served.Requests();
  run.rows = rows_;
  return run;
}
