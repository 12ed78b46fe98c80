// How a session ends, for hosts that wait for it. A page keeps the control
// until it unloads; a host without a page (the command-line host) needs to
// know when nothing more will happen, and why.
#pragma once

#include <string>

enum class SessionOutcome {
  Ready,          // everything deployed, nothing left to start
  ClientStarted,  // the client runs, as a process or hosted in the window
  FailureShown,   // the failure text is in the control's window
  Stopped,        // stopped without showing a failure
};

const char* SessionOutcomeName(SessionOutcome outcome);

class SessionEndSink {
 public:
  virtual ~SessionEndSink() = default;
  // Called once per session, on the session's thread. reason says why a
  // session stopped; it may be empty for the other outcomes.
  virtual void OnSessionEnded(SessionOutcome outcome, const std::string& reason) = 0;
};
