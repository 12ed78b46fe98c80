// Teardown: when the control window goes, a client that registered its
// window is asked to close and, if it has not within the time given, ended;
// the hosted client and the logger are let go. When the control object goes,
// the hosted client's activation context, the keyboard hook and the
// process's fault handler go with it.
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"
#include "platform/BrowserHost.h"
#include "platform/DebugOutput.h"
#include "session/CLoader.h"

namespace {

constexpr char kProcessClient[] = "VUVuzaro.UI.Application";

}  // namespace

void CLoader::OnDestroy() {
  platform::ClearInPlaceObjects();
  CloseClient();
  hostedClient_.reset();
  SimpleLogger::ReleaseInstance();
  platform::SendDebugOutput("CLoader::OnDestroy completed.");
}

void CLoader::CloseClient() {
  if (!state_.clientWindow) return;
  const uint32_t timeout = state_.clientCloseTimeoutMs;
  // A client that has stopped answering does not hold this thread.
  intptr_t ignored = 0;
  platform::SendWindowMessageTimeout(state_.clientWindow, platform::kWmClose, 0, 0,
                                     platform::kSmtoAbortIfHung, timeout, ignored);
  if (!client_.IsHeld()) return;
  uint32_t exitCode = 0;
  const bool ended = client_.WaitForExit(timeout);
  if (!ended && client_.ReadExitCode(exitCode) && exitCode == platform::kStillActive) {
    if (state_.debugClient) {
      platform::ShowMessageBoxOn(
          0,
          state_.mainDestination +
              " process failed to terminate as expected, click OK to terminate process "
              "forcefully.\r\n If this is not a Known issue Please investigate.",
          "", platform::kMbOk);
    }
    SimpleLogger::GetInstance()->Warning(
        "CLoader::OnDestroy",
        Format("The client did not close within %u ms of WM_CLOSE; it is ended.", timeout));
    // Termination only begins here; the process is gone once the wait ends.
    if (client_.Terminate(0)) client_.WaitForExit(timeout);
  }
  client_.Release();
}

void CLoader::EndOfControl() {
  if (!platform::CodePageEqualsNoCase(state_.mainProgId, kProcessClient) && state_.isolatedDeployment != 0) {
    platform::HResult result = platform::kSOk;
    if (host_.DestroyActivationContext(result)) {
      SimpleLogger::GetInstance()->Info(
          "CLoader::~CLoader",
          Format("SA DestroyActivationContext result: 0x%X", static_cast<unsigned>(result)));
    }
  }
  platform::RemoveKeyboardHook();
  if (state_.faultFilterHeld) {
    platform::ReleaseUnhandledExceptionFilter();
    state_.faultFilterHeld = false;
  }
  hostedClient_.reset();
  client_.Release();
}
