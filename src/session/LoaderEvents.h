// The events the control raises to the page, and the proxy that raises each
// one to every connected sink. The COM control connects one sink per
// connection point client; the command-line host connects its progress view
// and event stream. Sinks run synchronously on the session's thread and may
// connect or disconnect sinks while they run.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

class LoaderEventSink {
 public:
  virtual ~LoaderEventSink() = default;
  // Every operation answers like IDispatch::Invoke: S_OK or a failure code.
  virtual platform::HResult OnReady() = 0;
  virtual platform::HResult OnUIActive() = 0;
  virtual platform::HResult OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                               const std::string& description) = 0;
  virtual platform::HResult OnFileDownloadProgress(int32_t percentage) = 0;
  virtual platform::HResult OnError(const std::string& message) = 0;
  virtual platform::HResult OnFailure(const std::string& message) = 0;
  virtual platform::HResult OnDownloadStart() = 0;
  virtual platform::HResult OnSlo() = 0;
};

// The dispatch identifiers of the events, in the order of the interface.
enum class LoaderEventId : int32_t {
  OnReady = 1,
  OnUIActive = 2,
  OnDownloadProgress = 3,
  OnFileDownloadProgress = 4,
  OnError = 5,
  OnFailure = 6,
  OnDownloadStart = 7,
  OnSlo = 8,
};

class LoaderEvents {
 public:
  // A cookie (never 0) that disconnects the sink again; the first empty
  // slot is reused.
  uint32_t Advise(std::shared_ptr<LoaderEventSink> sink);
  bool Unadvise(uint32_t cookie);

  // Each calls every connected sink in slot order; a sink that fails or
  // throws does not keep the others from being called. S_OK whatever the
  // sinks answer, except Fire_OnSlo: the last sink's answer (S_OK with no
  // sink).
  platform::HResult Fire_OnReady();
  platform::HResult Fire_OnUIActive();
  platform::HResult Fire_OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                            const std::string& description);
  platform::HResult Fire_OnFileDownloadProgress(int32_t percentage);
  platform::HResult Fire_OnError(const std::string& message);
  platform::HResult Fire_OnFailure(const std::string& message);
  platform::HResult Fire_OnDownloadStart();
  platform::HResult Fire_OnSlo();

 private:
  template <typename Call>
  platform::HResult CallEverySink(const char* location, Call call);

  std::mutex lock_;
  std::vector<std::shared_ptr<LoaderEventSink>> slots_;  // null where a sink left
};
