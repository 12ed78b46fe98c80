// Launch of the client once the deployment is recorded: started as a process
// from the deployment folder, or its user interface control created by
// ProgID in the control window and given the launch parameters; and the page
// shown when a prerequisite the client needs is missing.

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"
#include "install/ProcessRunner.h"
#include "platform/BrowserServices.h"
#include "platform/LastError.h"
#include "platform/SystemFacts.h"
#include "session/CLoader.h"
#include "session/FailureReport.h"
#include "session/LaunchCommandLine.h"
#include "session/ResourceStrings.h"

namespace {

// The client that runs as a process of its own; every other main ProgID
// names a control hosted in the control window.
constexpr char kProcessClient[] = "VUVuzaro.UI.Application";
constexpr char kClientManifest[] = "VuvoViziz.manifest";
constexpr char kNoUrl[] = "NO_URL";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

// A string-table text with its one "%s" filled; a "%" in the value stays.
std::string Filled(int id, const std::string& value) {
  std::string text = resources::Text(id);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

bool IsAbsolutePath(const std::string& path) {
  return (path.size() > 1 && path[1] == ':') || path.rfind("\\\\", 0) == 0 || path.rfind('/', 0) == 0;
}

}  // namespace

intptr_t CLoader::OnHostMainUI() {
  const char* const location = "CLoader::OnHostMainUI";
  try {
    if (state_.debugClient) RunDebugTouch();
    Log().Info(location, "Creating RIVudizI");
    state_.hostedUiWindow = state_.window;
    if (state_.serverIncompatible) {
      ReportFailure(resources::Text(resources::kServerIncompatible));
      return 0;
    }
    if (platform::CodePageEqualsNoCase(state_.mainProgId, kProcessClient)) {
      if (!NetPrerequisitePresent()) {
        ShowMissingPrerequisitePage(state_.dotNetDescription);
        return 0;
      }
      RunApplicationAsProcess();
      return 0;
    }
    HostClientUi();
  } catch (...) {
    StopAfterException(location);
  }
  return 0;
}

// The client's own mmerge.exe touches its files, so a debugger sees them as
// new.
void CLoader::RunDebugTouch() {
  const std::string folder = state_.deploymentFolder;
  uint32_t exitCode = 0;
  if (!runExeAndWait(folder + "\\mmerge.exe", exitCode,
                     "\"" + folder + "\" DEBUG_PLEASE_TOUCH_FILES", state_.installTimeoutMs,
                     true)) {
    TraceError("CLoader", "Debug touch request failed. See mmerge.log.txt for details.");
  } else {
    Log().Info("CLoader::OnHostMainUI", "Debug touch request completed succeessfully.");
  }
}

// A deployment that brought no framework component needs none.
bool CLoader::NetPrerequisitePresent() {
  if (state_.dotNetVersion.empty()) return true;
  return environment_.Prerequisites().CheckNetFrameworkExists(state_.dotNetVersion, state_.dotNetServicePack);
}

platform::HResult CLoader::RunApplicationAsProcess() {
  const char* const location = "CLoader::RunApplicationAsProcess";
  Log().Info(location, "Entered RunApplicationAsProcess");
  const std::string& folder = state_.deploymentFolder;
  const std::string application = IsAbsolutePath(state_.mainDestination)
                                      ? state_.mainDestination
                                      : folder + "\\" + state_.mainDestination;
  LaunchContext context;
  context.embedClient = state_.embedClient;
  context.parentWindow = static_cast<intptr_t>(state_.window);
  context.processId = platform::CurrentProcessId();
  if (handOver_ && !handOver_->CookieData().empty()) context.cookieFilePath = handOver_->CookieFilePath();
  const LaunchArguments arguments = BuildLaunchArguments(state_.launchParameters, context);
  const std::string commandLine = "\"" + application + "\" " + arguments.text;

  if (!client_.Start(application, commandLine, folder)) {
    const platform::Win32Error error = platform::LastErrorCode();
    const std::string failure = "Failed to start " + application;
    TraceError(failure, "");
    platform::ShowMessageBoxOn(state_.window, resources::Text(resources::kProcessFailedToStart),
                               resources::Text(resources::kErrorCaption), platform::kMbIconError);
    EndSession(SessionOutcome::FailureShown, failure);
    return error != 0 ? platform::HResultFromWin32(error) : platform::kEFail;
  }
  Log().Info(location, application + " started with following params:" + arguments.logText);
  EndSession(SessionOutcome::ClientStarted);
  return platform::kSOk;
}

void CLoader::HostClientUi() {
  const char* const location = "CLoader::OnHostMainUI";
  if (!platform::ControlHostingSupported()) {
    const std::string reason = "Hosting the client's control \"" + state_.mainProgId +
                               "\" by its ProgID needs Windows; the deployment is complete.";
    Log().Info(location, reason);
    EndSession(SessionOutcome::Ready, reason);
    return;
  }
  // The cookie pair is one of those the loader adds itself.
  size_t builtIn = state_.launchParameterCount;
  const std::string cookies = handOver_ ? handOver_->CookieData() : std::string();
  if (!cookies.empty()) {
    auto& parameters = state_.launchParameters;
    parameters.insert(parameters.begin(), {"Cookie", cookies});
    ++builtIn;
  }
  if (state_.isolatedDeployment != 0) {
    platform::HResult result = platform::kSOk;
    if (host_.CreateActivationContext(state_.deploymentFolder, kClientManifest, result)) {
      Log().Info(location, Format("SA CreateActivationContext result: 0x%X",
                                  static_cast<unsigned>(result)));
    } else {
      Log().Info(location, "This host has no deployment helper: the client is created without "
                           "the deployment's activation context.");
    }
  }
  platform::HResult created = platform::kSOk;
  hostedClient_ = platform::HostedControl::Create(state_.window, state_.mainProgId, created);
  if (!hostedClient_) {
    TraceError(state_.mainProgId, Format("The client's control could not be created (0x%08X).",
                                         static_cast<unsigned>(created)));
    // Shown, so the page does not stay empty without a word.
    ReportFailure(FailureReport::Instance().TakeText());
    return;
  }
  platform::GiveFocus(hostedClient_->Window());
  SetClientProperties(*hostedClient_, builtIn);

  platform::ShowWindowAs(state_.window, platform::ShowCommand::ShowNormal);
  platform::GiveFocus(state_.window);
  platform::BringToTop(state_.window);
  events_.Fire_OnUIActive();
  host_.SubscribeToPageUnload();
  EndSession(SessionOutcome::ClientStarted);
}

// Each launch parameter becomes the property of its name. A property the
// client lacks is reported only when the deployment's descriptor asked for
// it; one the client refuses stops the assignments, and the user may close
// the application.
void CLoader::SetClientProperties(platform::HostedControl& control, size_t builtIn) {
  const auto& parameters = state_.launchParameters;
  for (size_t position = 0; position < parameters.size(); ++position) {
    const auto& [name, value] = parameters[position];
    int32_t id = 0;
    if (control.FindProperty(name, id) < 0) {
      if (position >= builtIn) TraceError(state_.mainProgId, "The client has no property " + name + ".");
      continue;
    }
    std::string errorText;
    if (control.PutProperty(id, value, errorText) >= 0) continue;
    TraceError(state_.mainProgId, "The client refused the property " + name + ": " + errorText);
    const int answer = platform::ShowMessageBoxOn(
        state_.window,
        "Error : " + errorText + "\n\n\nPress OK to continue or CANCEL to close application.",
        "Error in parameter [" + name + "]",
        platform::kMbOkCancel | platform::kMbIconExclamation);
    if (answer == platform::kIdCancel) platform::ExitThisProcess(0);
    break;
  }
}

// The hosted client fills the control window.
void CLoader::FitHostedClient() {
  if (!hostedClient_) return;
  platform::WindowRect area;
  const platform::WindowHandle window = hostedClient_->Window();
  if (window && platform::ReadClientRect(state_.window, area))
    platform::MoveWindowTo(window, 0, 0, area.Width(), area.Height(), true);
}

void CLoader::ShowMissingPrerequisitePage(const std::string& description) {
  std::string text = Filled(resources::kPrerequisiteMissing, description);
  const std::string page = state_.customPreReqPageUrl.empty()
                               ? resources::Text(resources::kPrerequisitePage)
                               : state_.customPreReqPageUrl;
  const bool openPage = !platform::CodePageEqualsNoCase(page, kNoUrl);
  if (openPage) text += Filled(resources::kPrerequisiteLink, page);
  // No system call failed: the entry carries no stale error code.
  platform::SetLastErrorCode(platform::kErrorSuccess);
  TraceError("Prerequisite Missing", text);
  ReportFailure(text);
  if (openPage && !platform::OpenPage(page)) {
    Log().Warning("CLoader::ShowMissingPrerequisitePage",
                  Format("The page could not be opened (error %ld): ", platform::LastErrorCode()) +
                      page);
  }
}
