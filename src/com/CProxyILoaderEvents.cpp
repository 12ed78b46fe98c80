#include "com/CProxyILoaderEvents.h"

#include "com/Guarded.h"
#include "com/varnik_h.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"

namespace {

// The dispids of ILoaderEvents.
constexpr DISPID kOnReady = 1;
constexpr DISPID kOnUIActive = 2;
constexpr DISPID kOnDownloadProgress = 3;
constexpr DISPID kOnFileDownloadProgress = 4;
constexpr DISPID kOnError = 5;
constexpr DISPID kOnFailure = 6;
constexpr DISPID kOnDownloadStart = 7;
constexpr DISPID kOnSlo = 8;

std::string Location(const char* operation) {
  return std::string("CProxyILoaderEvents<class CLoader>::") + operation;
}

HRESULT OutOfMemory(const char* operation) {
  SimpleLogger::GetInstance()->Error(Location(operation),
                                     "Out of memory for the event's arguments; no sink called");
  return E_OUTOFMEMORY;
}

}  // namespace

CProxyILoaderEvents::CProxyILoaderEvents(IUnknown* owner,
                                         NVarnik::EventArguments::BstrAllocator allocate,
                                         LogLines logLines)
    : NVarnik::ConnectionPoint(owner, DIID_ILoaderEvents),
      allocate_(allocate),
      logLines_(logLines) {}

void CProxyILoaderEvents::Log(const char* level, const char* operation,
                              const std::string& message) const {
  if (logLines_ == LogLines::Written)
    SimpleLogger::GetInstance()->Write(level, Location(operation), message);
}

HRESULT CProxyILoaderEvents::Fire_OnReady() {
  return FireThenCloseLog("Fire_OnReady", "Firing OnReady event...", kOnReady);
}

HRESULT CProxyILoaderEvents::Fire_OnUIActive() {
  return NVarnik::Guarded(Location("Fire_OnUIActive"), [this] {
    Log("INFO", "Fire_OnUIActive", "Firing OnUIActive event...");
    NVarnik::EventArguments none(allocate_);
    return Fire(kOnUIActive, none);
  });
}

HRESULT CProxyILoaderEvents::Fire_OnDownloadProgress(int fileNo, int totalFiles,
                                                     const std::string& description) {
  return NVarnik::Guarded(Location("Fire_OnDownloadProgress"), [&] {
    NVarnik::EventArguments arguments(allocate_);
    arguments.AddInt(fileNo);
    arguments.AddInt(totalFiles);
    if (!arguments.AddString(description)) return OutOfMemory("Fire_OnDownloadProgress");
    return Fire(kOnDownloadProgress, arguments);
  });
}

HRESULT CProxyILoaderEvents::Fire_OnFileDownloadProgress(int percentage) {
  return NVarnik::Guarded(Location("Fire_OnFileDownloadProgress"), [&] {
    NVarnik::EventArguments arguments(allocate_);
    arguments.AddInt(percentage);
    return Fire(kOnFileDownloadProgress, arguments);
  });
}

HRESULT CProxyILoaderEvents::Fire_OnError(const std::string& message) {
  return NVarnik::Guarded(Location("Fire_OnError"), [&] {
    Log("WARNING", "Fire_OnError", Format("Fire_OnError(message='%s')", message.c_str()));
    return FireWithText("Fire_OnError", kOnError, message);
  });
}

HRESULT CProxyILoaderEvents::Fire_OnFailure(const std::string& message) {
  return NVarnik::Guarded(Location("Fire_OnFailure"), [&] {
    Log("WARNING", "Fire_OnFailure", Format("Fire_OnFailure(message=%s)", message.c_str()));
    return FireWithText("Fire_OnFailure", kOnFailure, message);
  });
}

HRESULT CProxyILoaderEvents::Fire_OnDownloadStart() {
  return FireThenCloseLog("Fire_OnDownloadStart", "Firing OnDownloadStart event...",
                          kOnDownloadStart);
}

HRESULT CProxyILoaderEvents::Fire_OnSlo() {
  return NVarnik::Guarded(Location("Fire_OnSlo"), [this] {
    NVarnik::EventArguments none(allocate_);
    HRESULT last = S_OK;
    Fire(kOnSlo, none, &last);
    return last;
  });
}

HRESULT CProxyILoaderEvents::FireWithText(const char* operation, DISPID id,
                                          const std::string& text) {
  NVarnik::EventArguments arguments(allocate_);
  if (!arguments.AddString(text)) return OutOfMemory(operation);
  return Fire(id, arguments);
}

HRESULT CProxyILoaderEvents::FireThenCloseLog(const char* operation, const char* message,
                                              DISPID id) {
  return NVarnik::Guarded(Location(operation), [=] {
    Log("INFO", operation, message);
    NVarnik::EventArguments none(allocate_);
    Fire(id, none);
    // What follows the event starts a new stretch of the log file.
    if (logLines_ == LogLines::Written) SimpleLogger::GetInstance()->CloseFile();
    return S_OK;
  });
}
