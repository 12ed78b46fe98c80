// Completion: timer 1 ticks until every transfer has ended; then the
// progress rows go, the post-download actions run over the download list,
// "Downloaded.txt" is removed, and the run ends one of three ways: the
// failure report shown (nothing recorded, no client), an installation-only
// run ready, or the deployment recorded and the client's launch posted.
#include <vector>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/PostDownloadActions.h"
#include "platform/FileSystem.h"
#include "platform/MessageLoop.h"
#include "session/CLoader.h"
#include "session/FailureReport.h"
#include "session/ResourceStrings.h"
#include "session/SessionPostDownloadHost.h"

namespace {

constexpr char kLocation[] = "CLoader::OnTimer";
constexpr char kDownloadRecord[] = "Downloaded.txt";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

}  // namespace

intptr_t CLoader::OnTimer() {
  try {
    if (state_.hostedUiWindow || (state_.mainProgId.empty() && state_.installationOnly == 0)) {
      // Nothing (more) to start.
      platform::KillWindowTimer(state_.window, kCompletionTimerId);
      const std::string text = "Failed" + state_.mainProgId;
      platform::ShowMessageBoxOn(state_.window, text, "", platform::kMbOk);
      EndSession(SessionOutcome::FailureShown, text);
      return 0;
    }
    // Transfers still running pump this thread's messages: come back at the
    // next tick.
    if (!progress_.AllEntriesFinished()) return 0;
    platform::KillWindowTimer(state_.window, kCompletionTimerId);

    progress_.RemoveTransferRows();
    const platform::DeviceContext context = platform::AcquireDeviceContext(state_.window);
    platform::SendWindowMessage(state_.window, WM_LOADER_REPAINT,
                                static_cast<uintptr_t>(context), 0);
    if (handOver_) handOver_->ReleaseWebConnection();

    const std::vector<CDataStructure> records = state_.downloadList;
    SessionPostDownloadHost postDownloadHost(state_, paths_, *this);
    PostDownloadActions(postDownloadHost).Run(records);

    progress_.RemoveComponentsText();
    state_.downloadList.clear();
    Log().Info(kLocation, "DownloadParams cleared");
    DeleteDownloadRecord();
    platform::ReleaseDeviceContext(state_.window, context);
    platform::ShowWindowAs(state_.window, platform::ShowCommand::Hide);

    if (FailureReport::Instance().HasEntries()) {
      Log().Warning(kLocation,
                    "If download issue persists, try disabling server side static content cache "
                    "by setting STATIC_CONTENT_MAX_CACHED_FILE_SIZE site parameter to 0.");
      ReportFailure(FailureReport::Instance().TakeText());
      return 0;
    }
    if (state_.installationOnly != 0 && state_.serverIncompatible) {
      ReportFailure(resources::Text(resources::kServerIncompatible));
      return 0;
    }
    // An incompatible server had every component skipped: recording its
    // descriptor would make the next run believe them deployed.
    if (!state_.serverIncompatible) RecordDeployment();
    events_.Fire_OnReady();
    if (state_.installationOnly != 0) {
      EndSession(SessionOutcome::Ready);
    } else {
      platform::PostWindowMessage(state_.window, WM_LOADER_HOST_MAIN_UI, 0, 0);
    }
  } catch (...) {
    StopAfterException(kLocation);
  }
  return 0;
}

// Opened for writing first, as a file another program holds cannot be
// truncated; only then removed.
void CLoader::DeleteDownloadRecord() {
  const std::string path = JoinPath(state_.deploymentFolder, kDownloadRecord);
  if (path.empty()) return;
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "w"));
  if (!file) return;
  file.reset();
  platform::DeletePath(path);
}

// The merged descriptor becomes the record of this deployment, with the
// flavour it now holds. A record that cannot be written is logged by the
// engine; the next run then deploys again what it cannot find recorded.
void CLoader::RecordDeployment() {
  const std::string flavor =
      state_.newFlavorContent ? state_.downloadContentFlavor : engine_.GetLastFlavor();
  engine_.SetLastFlavor(state_.mergedSetup, flavor);
  engine_.SaveMergedSetup(state_.mergedSetup);
}
