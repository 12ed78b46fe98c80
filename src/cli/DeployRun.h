// One deployment run by the command-line host: the properties handed to
// the session, a host window without a container holding the control
// window, the message loop until the session ends or Ctrl-C stops it, and
// progress and events shown while it runs.
#pragma once

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/EventClock.h"
#include "cli/JsonEvents.h"
#include "cli/ProgressRenderer.h"
#include "cli/PropertyAssignments.h"
#include "session/CLoader.h"

// Exit statuses of "deploy".
constexpr int kExitDeployed = 0;       // ready, or the client started
constexpr int kExitFailureShown = 1;   // the failure report was shown (and printed)
constexpr int kExitBadArguments = 2;   // refused before anything was touched
constexpr int kExitStopped = 3;        // stopped without a failure display, or interrupted

class DeployRun : public SessionEndSink {
 public:
  DeployRun(CLoader& loader, TerminalWriter& terminal, ProgressMode mode, const EventClock& clock);
  ~DeployRun() override;
  DeployRun(const DeployRun&) = delete;
  DeployRun& operator=(const DeployRun&) = delete;

  // Events also go to out as JSON lines; out must outlive Run.
  void AddJsonOutput(std::ostream& out);

  // The exit status.
  int Run(const std::vector<PropertyAssignment>& assignments);

  void OnSessionEnded(SessionOutcome outcome, const std::string& reason) override;

 private:
  class ControlRows;
  class MeterFanOut;

  int Conclude(const std::string& outcome, int exitCode, const std::string& closingLine,
               const std::string& reason);
  void OnInterrupted();

  CLoader& loader_;
  TerminalWriter& terminal_;
  const EventClock& clock_;
  std::unique_ptr<ControlRows> rows_;
  std::unique_ptr<MeterFanOut> meters_;
  std::shared_ptr<ProgressRenderer> renderer_;
  std::vector<std::shared_ptr<JsonEventWriter>> json_;
  bool ended_ = false;
  bool interrupted_ = false;
  // Set on the watch's thread at Ctrl-C. The session's thread hears of it
  // only when it is back in its loop: a transfer that blocks (a stalled
  // server) may end the session first, which still counts as interrupted.
  std::atomic<bool> interruptRequested_{false};
  SessionOutcome outcome_ = SessionOutcome::Stopped;
  std::string reason_;
};
