// The download driver (WM_LOADER_START_DOWNLOAD): the merged setup
// descriptor's folder macros resolved, the flavour state settled against the
// last deployment, the component sections walked into the download list
// (ComponentWalk), each record transferred with progress under the download
// lock, and timer 1 started for completion. A failed component never stops
// the driver; a shared folder out of date or a prerequisite that may not be
// installed ends it with the failure shown and no timer.
#include <exception>
#include <mutex>

#include "descriptors/SectionOrder.h"
#include "descriptors/ValueMacros.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "session/CLoader.h"
#include "session/ComponentWalk.h"
#include "session/FailureReport.h"
#include "session/ResourceStrings.h"
#include "session/SessionLocks.h"

namespace {

constexpr char kLocation[] = "CLoader::OnStartDownload";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

class DownloadDriver {
 public:
  explicit DownloadDriver(CLoader& loader) : loader_(loader), state_(loader.State()) {}

  void Run() {
    loader_.Events().Fire_OnDownloadStart();
    FailureReport::Instance().RestartNumbering();
    const std::string startUpFolder = state_.deploymentFolder;
    state_.deploymentFolder = loader_.Engine().GetCurrentDeploymentFolder();
    Log().Info(kLocation, "Client path=" + state_.deploymentFolder);
    // Start-up wrote the summary before the merged descriptor named the
    // deployment folder; the client looks for it beside its files.
    if (state_.deploymentFolder != startUpFolder) loader_.SerializeSummaryIni();

    const DescriptorSectionNames names = OrderedSectionNames(state_.mergedSetup);
    Log().Info(kLocation, "Begin Downloading");
    ReplaceFolderMacros(state_.mergedSetup, [this](const std::string& macro) {
      std::string folder = macro;
      loader_.Paths().ParsePath(folder, false);
      return folder;
    });

    CIniFile::NameSet changed;
    if (!SettleFlavorState(changed)) return;
    state_.launchParameters.clear();
    state_.launchParameterCount = 0;
    FailureReport::Instance().Clear();
    state_.manifestNames.clear();
    Log().Info(kLocation, Format("Number of elements in changedSection = %d",
                                 static_cast<int>(changed.size())));

    if (!ComponentWalk(loader_, changed).Run(names)) return;
    Transfer();
    Log().Info(kLocation, "Finish Downloading");
    if (!platform::SetWindowTimer(state_.window, kCompletionTimerId, kCompletionTimerMs))
      Log().Error(kLocation, "The completion timer could not be started");
  }

 private:
  // False when the shared folder the user runs from is out of date: the
  // failure is shown and nothing is deployed.
  bool SettleFlavorState(CIniFile::NameSet& changed) {
    DeploymentEngine& engine = loader_.Engine();
    state_.lastDeployedFlavor = engine.GetLastFlavor();
    Log().Info(kLocation, "Last deployed flavor - '" + state_.lastDeployedFlavor + "'");
    state_.clientAlreadyDeployed = !engine.GetChangedSections(state_.mergedSetup, changed);
    state_.flavorAlreadyDeployed = state_.clientAlreadyDeployed &&
                                   state_.downloadContentFlavor == state_.lastDeployedFlavor;
    Log().Info(kLocation, "Download Content flavor - '" + state_.downloadContentFlavor + "'");
    if (state_.clientAlreadyDeployed) Log().Info(kLocation, "Client already deployed.");
    if (state_.flavorAlreadyDeployed) Log().Info(kLocation, "Flavor already deployed.");
    if (state_.clientAlreadyDeployed || !engine.IsSharedDeployment()) return true;
    Log().Warning(kLocation,
                  "Shared deployment folder is not synchronized with the server. Client side "
                  "files are different or missing");
    loader_.ReportFailure(resources::Text(resources::kSharedFolderOutOfDate));
    return false;
  }

  // Each record in list order: its progress row, the overall progress when
  // it is to be fetched, and its transfer.
  void Transfer() {
    ProgressView& progress = loader_.Progress();
    progress.AddComponentsTextWindow();
    if (state_.downloadList.empty()) return;
    const int32_t count = state_.downloadList.back().position + 1;
    // By index and by copy: the thread's messages are served during each
    // transfer.
    for (size_t i = 0; i < state_.downloadList.size(); ++i) {
      CDataStructure record = state_.downloadList[i];
      progress.AddProgressBar(record.statusLine, record);
      if (!record.alreadyPresent)
        progress.ShowProgressStep(record.position, count, record.description);
      std::lock_guard<std::recursive_mutex> download(DownloadLock());
      loader_.Download(record);
      // Completion unpacks and registers from the list: its record holds
      // the path the file was placed at (Download wrote it into the copy),
      // not the descriptor's "ShortName".
      if (i < state_.downloadList.size()) state_.downloadList[i].destination = record.destination;
    }
  }

  CLoader& loader_;
  SessionState& state_;
};

}  // namespace

intptr_t CLoader::OnStartDownload() {
  std::lock_guard<std::recursive_mutex> session(SessionLock());
  std::string failure;
  try {
    DownloadDriver(*this).Run();
    return 0;
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "Unknown exception";
  }
  // Component failures never get here; this is the deployment location or
  // the machine failing the whole run, which the user must be told of.
  Log().Error(kLocation, failure);
  ReportFailure(resources::Text(resources::kInitializationFailed) +
                resources::Text(resources::kFailureDetails) + failure + "\r\n");
  return 0;
}
