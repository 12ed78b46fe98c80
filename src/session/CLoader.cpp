#include "session/CLoader.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "platform/BrowserHost.h"
#include "platform/MessageLoop.h"
#include "session/ResourceStrings.h"

CLoader::CLoader(LoaderHost& host, SystemFolders& folders)
    : host_(host),
      settings_(state_),
      folders_(folders),
      failures_(state_, events_),
      paths_(settings_, state_.mergedSetup, failures_, folders_),
      engine_(settings_, paths_, failures_, folders_),
      progress_(state_, events_),
      properties_(state_, engine_),
      transfer_(state_, progress_, paths_, failures_),
      network_(state_, transfer_),
      descriptors_(state_, engine_, transfer_.Dispatch(), failures_),
      environment_(state_) {
  paths_.AttachDeploymentState(&engine_);
  platform::SetHostKind(platform::HostKind::Unknown);
}

CLoader::~CLoader() {
  // The window's last messages still reach this object.
  DestroyControlWindow();
  EndOfControl();
}

bool CLoader::CreateControlWindow(platform::WindowHandle parent) {
  if (window_) return state_.window != 0;
  window_ = std::make_unique<platform::ControlWindow>(
      [this](uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
        return HandleMessage(message, wParam, lParam, result);
      });
  if (window_->Create(parent)) return true;
  window_.reset();
  return false;
}

void CLoader::DestroyControlWindow() {
  if (window_) window_->Destroy();
  window_.reset();
  state_.window = 0;
}

bool CLoader::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
  result = 0;
  switch (message) {
    case platform::kWmInitDialog:
      state_.window = window_ ? window_->Handle() : 0;
      OnHostStart();
      return true;
    case WM_LOADER_HOST_START: OnHostStart(); return true;
    case WM_LOADER_START_SETUP: result = OnStartSetup(); return true;
    case WM_LOADER_START_DOWNLOAD: result = OnStartDownload(); return true;
    case WM_LOADER_HOST_MAIN_UI: result = OnHostMainUI(); return true;
    case WM_LOADER_REPAINT: OnRepaint(static_cast<platform::DeviceContext>(wParam)); return true;
    case WM_LOADER_INIT_FAILED:
      ReportFailure(resources::Text(resources::kInitializationFailed));
      return true;
    case WM_LOADER_REGISTER_CLIENT_WINDOW:
      state_.clientWindow = static_cast<platform::WindowHandle>(wParam);
      return true;
    case WM_LOADER_FIT_TO_FRAME: progress_.FitToFrame(); return true;
    case WM_LOADER_SLO: OnSlo(); return true;
    case platform::kWmTimer: result = OnTimer(); return true;
    case platform::kWmSize:
      progress_.LayOut();
      FitHostedClient();
      return true;
    case platform::kWmDestroy: OnDestroy(); return true;
    case platform::kWmWindowPosChanged:
      // Observed, not consumed: the default handling still sends WM_SIZE,
      // which lays the rows out again.
      OnWindowPosChanged(lParam);
      return false;
    case platform::kWmNcDestroy: state_.window = 0; return false;
    default: return false;
  }
}

void CLoader::ReportFailure(const std::string& text) {
  progress_.ReportFailure(text);
  EndSession(SessionOutcome::FailureShown);
}

void CLoader::EndSession(SessionOutcome outcome, const std::string& reason) {
  if (ended_) return;
  ended_ = true;
  if (endSink_) endSink_->OnSessionEnded(outcome, reason);
}

const char* SessionOutcomeName(SessionOutcome outcome) {
  switch (outcome) {
    case SessionOutcome::Ready: return "ready";
    case SessionOutcome::ClientStarted: return "client-started";
    case SessionOutcome::FailureShown: return "failure";
    case SessionOutcome::Stopped: return "stopped";
  }
  return "stopped";
}

platform::HResult CLoader::DownloadFile(const std::string& url, const std::string& localPath) {
  return transfer_.Dispatch().DownloadFile(url, localPath);
}

platform::HResult CLoader::Download(CDataStructure& record) {
  const platform::HResult result = transfer_.Dispatch().Download(record);
  record.destination = transfer_.Dispatch().ResolveDestination(record);
  return result;
}

platform::HResult CLoader::IsIeInProtectedMode(bool& protectedMode) {
  return environment_.Checks().IsIeInProtectedMode(protectedMode);
}

void CLoader::StopAfterException(const char* location) {
  std::string text = "Unknown exception";
  try {
    throw;
  } catch (const std::exception& error) {
    text = error.what();
  } catch (...) {
  }
  SimpleLogger::GetInstance()->Error(location, text);
  EndSession(SessionOutcome::Stopped, std::string(location) + ": " + text);
}

void CLoader::TraceError(const std::string& file, const std::string& description) {
  failures_.TraceError(file, description);
}
