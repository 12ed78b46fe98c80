// Start-up of the session: the host and browser around the control, the
// process's fault handler, the private messages handled in place, and the
// failure text of a start-up error.
#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/BrowserHost.h"
#include "platform/DebugOutput.h"
#include "session/CLoader.h"
#include "session/ResourceStrings.h"
#include "session/SessionLocks.h"

namespace {

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

void ReportUnhandledException(const platform::ExceptionFacts* facts) {
  platform::SendDebugOutput(CLoader::UnhandledExceptionText(facts));
}

// The browser's chrome, the keyboard hook and the in-place object table.
void PrepareHost(LoaderHost& host, const SessionState& state) {
  if (!platform::BrowserHostSupported()) {
    Log().Info("CLoader::OnHostStart",
               "No browser hosts the control here: its menu and tool bars, the keyboard hook "
               "and the in-place object table are left out.");
    return;
  }
  const platform::HostKind kind =
      platform::PrepareBrowserHost(host.ClientSite(), state.window, state.browserUi != 0);
  platform::InstallKeyboardHook();
  if (kind == platform::HostKind::NetscapeProcess)
    platform::RecordInPlaceObject(state.window, host.InPlaceActiveObject());
}

}  // namespace

std::string CLoader::UnhandledExceptionText(const platform::ExceptionFacts* facts) {
  if (!facts) return "Loader - Unhandled exception occured.";
  return Format(
      "Loader - Unhandled exception occured. Exception Code:0x%X Address:0x%llX Flags:0x%X",
      facts->code, static_cast<unsigned long long>(facts->address), facts->flags);
}

void CLoader::OnHostStart() {
  std::lock_guard<std::recursive_mutex> session(SessionLock());
  try {
    if (!state_.faultFilterHeld) {
      platform::InstallUnhandledExceptionFilter(ReportUnhandledException);
      state_.faultFilterHeld = true;
    }
    PrepareHost(host_, state_);
    platform::PostWindowMessage(state_.window, WM_LOADER_START_SETUP, 0, 0);
  } catch (...) {
    Log().Warning("CLoader::OnHostStart", "Error in init process.");
    platform::PostWindowMessage(state_.window, WM_LOADER_INIT_FAILED, 0, 0);
  }
}

void CLoader::HandleInitializationRuntimeError(const char* message) {
  Log().Error("CLoader::HandleInitializationRuntimeError",
              "Runtime error while starting application setup.");
  std::string text = resources::Text(resources::kInitializationFailed);
  if (message && *message) {
    text += resources::Text(resources::kFailureDetails);
    text += message;
    text += "\r\n";
  }
  ReportFailure(text);
}

void CLoader::OnSlo() {
  platform::SendDebugOutput("CLoader::OnSlo slo message received");
  events_.Fire_OnSlo();
}

void CLoader::OnRepaint(platform::DeviceContext context) {
  platform::SetTransparentBackground(context);
  platform::UpdateWindowNow(state_.window);
}

void CLoader::OnWindowPosChanged(intptr_t lParam) {
  // Giving the in-place object its rectangle may move the window again.
  static bool s_inside = false;
  if (s_inside) return;
  s_inside = true;
  platform::WindowRect rect;
  if (platform::ReadWindowPosChange(lParam, rect) && rect != state_.lastObjectRect) {
    state_.lastObjectRect = rect;
    host_.SetObjectRects(rect);
  }
  s_inside = false;
}
