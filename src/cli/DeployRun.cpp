#include "cli/DeployRun.h"

#include "cli/InterruptWatch.h"
#include "infra/SimpleLogger.h"
#include "platform/MessageLoop.h"
#include "platform/WindowSystem.h"

namespace {

constexpr uint32_t kInterruptMessage = platform::kWmUser + 1;
constexpr char kLocation[] = "varnik-loader deploy";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

}  // namespace

class DeployRun::ControlRows : public ProgressRows {
 public:
  explicit ControlRows(const SessionState& state) : state_(state) {}
  std::string StatusText() const override {
    for (auto window = state_.statusWindows.rbegin(); window != state_.statusWindows.rend();
         ++window) {
      if (*window) return platform::ReadWindowText(*window);
    }
    return std::string();
  }

 private:
  const SessionState& state_;
};

class DeployRun::MeterFanOut : public TransferMeter {
 public:
  void Add(TransferMeter* meter) { meters_.push_back(meter); }
  void OnTransferBytes(int32_t position, uint64_t received, uint64_t expected) override {
    for (TransferMeter* meter : meters_) meter->OnTransferBytes(position, received, expected);
  }

 private:
  std::vector<TransferMeter*> meters_;
};

DeployRun::DeployRun(CLoader& loader, TerminalWriter& terminal, ProgressMode mode,
                     const EventClock& clock)
    : loader_(loader),
      terminal_(terminal),
      clock_(clock),
      rows_(std::make_unique<ControlRows>(loader.State())),
      meters_(std::make_unique<MeterFanOut>()),
      renderer_(std::make_shared<ProgressRenderer>(mode, terminal, *rows_, clock)) {
  meters_->Add(renderer_.get());
}

DeployRun::~DeployRun() = default;

void DeployRun::AddJsonOutput(std::ostream& out) {
  json_.push_back(std::make_shared<JsonEventWriter>(out, clock_));
  meters_->Add(json_.back().get());
}

void DeployRun::OnSessionEnded(SessionOutcome outcome, const std::string& reason) {
  if (ended_) return;
  if (interruptRequested_) {
    OnInterrupted();
    return;
  }
  ended_ = true;
  outcome_ = outcome;
  reason_ = reason;
  platform::PostQuit(0);
}

void DeployRun::OnInterrupted() {
  if (ended_) return;
  ended_ = true;
  interrupted_ = true;
  Log().Warning(kLocation, "Interrupted: the session is stopped.");
  platform::PostQuit(0);
}

int DeployRun::Run(const std::vector<PropertyAssignment>& assignments) {
  // The session runs on a thread like a browser's user-interface thread.
  platform::ThreadApartment apartment;
  ControlSize size;
  std::string error;
  if (!ApplyAssignments(assignments, loader_.Properties(), size, error)) {
    terminal_.Write("varnik-loader deploy: " + error + "\n");
    return kExitBadArguments;
  }

  // Ctrl-C comes on a thread of its own; the loop hears of it through a
  // window of this thread.
  platform::MessageWindow wakeUp([this](uint32_t message, uintptr_t, intptr_t) {
    if (message == kInterruptMessage) OnInterrupted();
  });
  InterruptWatch watch([this, &wakeUp] {
    interruptRequested_ = true;
    wakeUp.Post(kInterruptMessage);
  });

  const platform::WindowHandle host =
      platform::CreateHostWindow("varnik-loader", size.width, size.height);
  std::vector<uint32_t> cookies;
  cookies.push_back(loader_.Events().Advise(renderer_));
  for (const auto& writer : json_) cookies.push_back(loader_.Events().Advise(writer));
  loader_.Progress().SetTransferMeter(meters_.get());
  loader_.SetEndSink(this);

  if (host && loader_.CreateControlWindow(host)) {
    platform::MoveWindowTo(loader_.ControlWindow(), 0, 0, size.width, size.height, true);
    platform::RunMessageLoop();
  } else {
    // No window, no failure display: said here, whatever the mode.
    ended_ = true;
    outcome_ = SessionOutcome::FailureShown;
    reason_ = "the control window cannot be made";
    Log().Error(kLocation, reason_);
    terminal_.Write("varnik-loader deploy: " + reason_ + "\n");
  }
  if (!ended_) reason_ = "the message loop ended before the session did";

  // The window's last messages still reach the session; nothing of the run
  // hears of them.
  loader_.SetEndSink(nullptr);
  loader_.DestroyControlWindow();
  if (host) platform::DestroyWindowNow(host);
  loader_.Progress().SetTransferMeter(nullptr);
  for (uint32_t cookie : cookies) loader_.Events().Unadvise(cookie);

  if (interrupted_)
    return Conclude("interrupted", kExitStopped, "Interrupted: the deployment was stopped.", "");
  switch (outcome_) {
    case SessionOutcome::Ready:
      return Conclude("ready", kExitDeployed,
                      renderer_->TransferSummary() + "\nDeployment finished.", reason_);
    case SessionOutcome::ClientStarted:
      return Conclude("client-started", kExitDeployed,
                      renderer_->TransferSummary() +
                          "\nDeployment finished; the client was started.",
                      reason_);
    case SessionOutcome::FailureShown:
      return Conclude("failure", kExitFailureShown,
                      reason_.empty() ? "Deployment failed." : "Deployment failed: " + reason_,
                      reason_);
    case SessionOutcome::Stopped: break;
  }
  return Conclude("stopped", kExitStopped, "Stopped without a failure: " + reason_, reason_);
}

int DeployRun::Conclude(const std::string& outcome, int exitCode, const std::string& closingLine,
                        const std::string& reason) {
  renderer_->Finish(closingLine);
  for (const auto& writer : json_) writer->WriteEnd(outcome, exitCode, reason);
  return exitCode;
}
