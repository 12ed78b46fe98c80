// The control's events as JSON, one object per line, each line flushed as
// it is written so a reader sees the deployment as it goes. Every object has
// "time" (UTC, ISO 8601 with milliseconds) and "event"; the other fields
// are the event's arguments:
//   download-start
//   download-progress   fileNo, totalFiles, description
//   file-progress       percentage; received and expected (bytes) when known
//   error, failure      message
//   ready, ui-active, slo
//   end                 outcome, exitCode, reason (the host's last line)
// Text is UTF-8.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/EventClock.h"
#include "session/LoaderEvents.h"
#include "session/ProgressView.h"

class JsonEventWriter : public LoaderEventSink, public TransferMeter {
 public:
  JsonEventWriter(std::ostream& out, const EventClock& clock) : out_(out), clock_(clock) {}

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

  void WriteEnd(const std::string& outcome, int exitCode, const std::string& reason);

  // False once a line could not be written (a closed pipe, a full disk).
  bool Healthy() const { return healthy_; }

 private:
  template <typename Fill>
  platform::HResult Write(const char* event, Fill fill);

  std::ostream& out_;
  const EventClock& clock_;
  bool healthy_ = true;
  bool bytesKnown_ = false;
  uint64_t received_ = 0, expected_ = 0;
};

// "2024-02-29T23:59:59.123Z" for milliseconds since 1970-01-01 UTC.
std::string FormatUtcTimestamp(int64_t unixMs);
