#include "session/LoaderEvents.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"

namespace {

constexpr char kOnReady[] = "CProxyILoaderEvents<class CLoader>::Fire_OnReady";
constexpr char kOnUIActive[] = "CProxyILoaderEvents<class CLoader>::Fire_OnUIActive";
constexpr char kOnDownloadProgress[] =
    "CProxyILoaderEvents<class CLoader>::Fire_OnDownloadProgress";
constexpr char kOnFileDownloadProgress[] =
    "CProxyILoaderEvents<class CLoader>::Fire_OnFileDownloadProgress";
constexpr char kOnError[] = "CProxyILoaderEvents<class CLoader>::Fire_OnError";
constexpr char kOnFailure[] = "CProxyILoaderEvents<class CLoader>::Fire_OnFailure";
constexpr char kOnDownloadStart[] = "CProxyILoaderEvents<class CLoader>::Fire_OnDownloadStart";
constexpr char kOnSlo[] = "CProxyILoaderEvents<class CLoader>::Fire_OnSlo";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

// The log file is closed after the events a page typically answers by
// leaving or reloading, so what was written is on disk; the next line
// reopens it.
void CloseLogFile() { Log().CloseFile(); }

}  // namespace

uint32_t LoaderEvents::Advise(std::shared_ptr<LoaderEventSink> sink) {
  if (!sink) return 0;
  std::lock_guard<std::mutex> guard(lock_);
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (!slots_[slot]) {
      slots_[slot] = std::move(sink);
      return static_cast<uint32_t>(slot + 1);
    }
  }
  slots_.push_back(std::move(sink));
  return static_cast<uint32_t>(slots_.size());
}

bool LoaderEvents::Unadvise(uint32_t cookie) {
  std::lock_guard<std::mutex> guard(lock_);
  if (cookie == 0 || cookie > slots_.size() || !slots_[cookie - 1]) return false;
  slots_[cookie - 1].reset();
  return true;
}

template <typename Call>
platform::HResult LoaderEvents::CallEverySink(const char* location, Call call) {
  size_t count = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    count = slots_.size();
  }
  platform::HResult last = platform::kSOk;
  for (size_t slot = 0; slot < count; ++slot) {
    std::shared_ptr<LoaderEventSink> sink;  // holds the sink while it runs
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (slot < slots_.size()) sink = slots_[slot];
    }
    if (!sink) continue;
    try {
      last = call(*sink);
    } catch (const std::exception& error) {
      last = platform::kEFail;
      Log().Warning(location, Format("Event sink %zu failed: %s", slot + 1, error.what()));
    } catch (...) {
      last = platform::kEFail;
      Log().Warning(location, Format("Event sink %zu failed: Unknown exception", slot + 1));
    }
  }
  return last;
}

platform::HResult LoaderEvents::Fire_OnReady() {
  Log().Info(kOnReady, "Firing OnReady event...");
  CallEverySink(kOnReady, [](LoaderEventSink& sink) { return sink.OnReady(); });
  CloseLogFile();
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnUIActive() {
  Log().Info(kOnUIActive, "Firing OnUIActive event...");
  CallEverySink(kOnUIActive, [](LoaderEventSink& sink) { return sink.OnUIActive(); });
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                                        const std::string& description) {
  CallEverySink(kOnDownloadProgress, [&](LoaderEventSink& sink) {
    return sink.OnDownloadProgress(fileNo, totalFiles, description);
  });
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnFileDownloadProgress(int32_t percentage) {
  CallEverySink(kOnFileDownloadProgress,
                [&](LoaderEventSink& sink) { return sink.OnFileDownloadProgress(percentage); });
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnError(const std::string& message) {
  Log().Warning(kOnError, Format("Fire_OnError(message='%s')", message.c_str()));
  CallEverySink(kOnError, [&](LoaderEventSink& sink) { return sink.OnError(message); });
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnFailure(const std::string& message) {
  Log().Warning(kOnFailure, Format("Fire_OnFailure(message=%s)", message.c_str()));
  CallEverySink(kOnFailure, [&](LoaderEventSink& sink) { return sink.OnFailure(message); });
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnDownloadStart() {
  Log().Info(kOnDownloadStart, "Firing OnDownloadStart event...");
  CallEverySink(kOnDownloadStart, [](LoaderEventSink& sink) { return sink.OnDownloadStart(); });
  CloseLogFile();
  return platform::kSOk;
}

platform::HResult LoaderEvents::Fire_OnSlo() {
  return CallEverySink(kOnSlo, [](LoaderEventSink& sink) { return sink.OnSlo(); });
}
