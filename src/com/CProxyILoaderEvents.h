// The control's ILoaderEvents connection point with one Fire_ operation per
// event. Each writes its log line, builds its arguments once and calls every
// connected sink (ConnectionPoint::Fire). All return S_OK whatever the sinks
// answer, except Fire_OnSlo, which returns the last sink's answer, and
// E_OUTOFMEMORY when a text argument cannot be allocated: then no sink is
// called.
//
// Behind the session's LoaderEvents (the control) the session has already
// written the log lines and closes the log file itself, so the point then
// only marshals the arguments and calls the sinks.
#pragma once

#include <string>

#include "com/ComText.h"
#include "com/ConnectionPoint.h"

class CProxyILoaderEvents : public NVarnik::ConnectionPoint {
 public:
  enum class LogLines { Written, WrittenByCaller };

  explicit CProxyILoaderEvents(IUnknown* owner,
                               NVarnik::EventArguments::BstrAllocator allocate = &NVarnik::BstrFromAnsi,
                               LogLines logLines = LogLines::Written);

  HRESULT Fire_OnReady();
  HRESULT Fire_OnUIActive();
  HRESULT Fire_OnDownloadProgress(int fileNo, int totalFiles, const std::string& description);
  HRESULT Fire_OnFileDownloadProgress(int percentage);
  HRESULT Fire_OnError(const std::string& message);
  HRESULT Fire_OnFailure(const std::string& message);
  HRESULT Fire_OnDownloadStart();
  HRESULT Fire_OnSlo();

 private:
  HRESULT FireWithText(const char* operation, DISPID id, const std::string& text);
  HRESULT FireThenCloseLog(const char* operation, const char* message, DISPID id);
  void Log(const char* level, const char* operation, const std::string& message) const;

  NVarnik::EventArguments::BstrAllocator allocate_;
  LogLines logLines_;
};
