// The failure report: numbered entries of the components that could not be
// deployed, shown to the user at the end. The report text is process-wide
// and guarded by its own lock; each control records into it through its
// TraceError, which also logs the failure and raises OnError.
#pragma once

#include <mutex>
#include <string>

#include "infra/FailureTrace.h"
#include "platform/Win32Codes.h"
#include "session/LoaderEvents.h"
#include "session/SessionState.h"

class FailureReport {
 public:
  static FailureReport& Instance();

  // Re-entrant: a sink of OnError may record another failure.
  std::recursive_mutex& Lock() { return lock_; }

  // Appends the entry for the next number. errorText is the system's text
  // for error; both are left out when error is 0.
  void AddEntry(const std::string& file, platform::Win32Error error, const std::string& errorText,
                const std::string& description);
  // The report with its closing line, or empty when there are no entries;
  // the report is empty and numbered from 1 again afterwards.
  std::string TakeText();
  bool HasEntries();
  // Clears the text and numbers from 1 again.
  void Clear();
  // Numbers the next entry 1, keeping the text.
  void RestartNumbering();

 private:
  std::recursive_mutex lock_;
  std::string text_;
  int nextNumber_ = 1;
};

// The line a failure is logged and raised with.
std::string FormatFailureLine(const std::string& file, platform::Win32Error error,
                              const std::string& errorText, const std::string& description);

// A control's TraceError: reads the thread's last error code, logs the
// failure at error level, raises OnError while the control has a window and,
// for a named file, adds an entry to the report.
class SessionFailureTrace : public FailureTrace {
 public:
  SessionFailureTrace(const SessionState& state, LoaderEvents& events)
      : state_(state), events_(events) {}
  void TraceError(const std::string& file, const std::string& description) override;

 private:
  const SessionState& state_;
  LoaderEvents& events_;
};
