// Progress of a deployment on a terminal, drawn from the control's events,
// the byte counts behind its file progress and the status row of its
// window. The total is worked out from the event as the window's own
// components text is, which is set only after the event.
//   Interactive: a total-progress line and a bar for the current file with
//     bytes, rate and time left, redrawn in place at most ten times a
//     second; messages are printed above them.
//   Plain: one line per event (file progress every 10 percentage points).
//   Quiet: nothing but the failure report.
// Text reaches the terminal as UTF-8, each line fitted to its width.
#pragma once

#include <cstdint>
#include <string>

#include "cli/EventClock.h"
#include "cli/Terminal.h"
#include "cli/TransferRate.h"
#include "session/LoaderEvents.h"
#include "session/ProgressView.h"

enum class ProgressMode { Quiet, Plain, Interactive };

// The rows of the control's window, read back as the user would see them.
class ProgressRows {
 public:
  virtual ~ProgressRows() = default;
  // The status row of the newest record still shown; empty when none is.
  virtual std::string StatusText() const = 0;
};

class ProgressRenderer : public LoaderEventSink, public TransferMeter {
 public:
  ProgressRenderer(ProgressMode mode, TerminalWriter& out, const ProgressRows& rows,
                   const EventClock& clock);

  platform::HResult OnReady() override;
  platform::HResult OnUIActive() override;
  platform::HResult OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                       const std::string& description) override;
  platform::HResult OnFileDownloadProgress(int32_t percentage) override;
  platform::HResult OnError(const std::string& message) override;
  platform::HResult OnFailure(const std::string& message) override;
  platform::HResult OnDownloadStart() override;
  platform::HResult OnSlo() override;

  void OnTransferBytes(int32_t position, uint64_t received, uint64_t expected) override;

  // Takes the drawn lines away and prints the closing line (nothing when it
  // is empty or in quiet mode).
  void Finish(const std::string& closingLine);

  // What the run fetched: the number of components and their bytes, or
  // that nothing was fetched because everything was in place.
  std::string TransferSummary() const;

 private:
  struct CurrentFile {
    int32_t fileNo = 0, totalFiles = 0;
    std::string description;  // UTF-8
    int32_t percentage = -1;  // -1: not reported yet
    bool bytesKnown = false;
    uint64_t received = 0, expected = 0;
  };

  std::string TotalLine() const;
  int32_t FilePercentage() const;
  std::string FileLine(size_t columns) const;
  // Interactive: draws the two lines again when forced or when the last
  // drawing is 100 ms old.
  void Draw(bool force);
  void Erase();
  // A message of its own: above the drawn lines, or a line in plain mode.
  void Print(const std::string& utf8);
  size_t Width() const;

  ProgressMode mode_;
  TerminalWriter& out_;
  const ProgressRows& rows_;
  const EventClock& clock_;
  CurrentFile file_;
  TransferRate rate_;
  bool drawing_ = false;  // interactive lines are wanted
  int drawnLines_ = 0;
  int64_t lastDrawMs_ = 0;
  int32_t lastPlainStep_ = -1;  // the last tenth printed in plain mode
  int32_t filesFetched_ = 0;
  uint64_t bytesOfEarlierFiles_ = 0;  // the byte counts of the files before the current one
};
