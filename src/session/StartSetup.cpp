// Start-up checks (WM_LOADER_START_SETUP): site lock and setup URL, the
// switches of the additional parameters, the browser and the machine, the
// network configuration, the deployment folder, the server's version, the
// user's rights and the installation-package analysis; then the setup
// descriptors are fetched and merged, the summary file is written and the
// download driver is posted. The order is fixed. A stop either shows its
// text through ReportFailure or, for an installation-package page without
// a package, stops silently; both end the session.
#include <stdexcept>
#include <string>

#include "deployment/CIniFile.h"
#include "infra/FolderTree.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/InstallText.h"
#include "platform/Environment.h"
#include "platform/LastError.h"
#include "platform/TextCompare.h"
#include "platform/WindowSystem.h"
#include "session/CLoader.h"
#include "session/ResourceStrings.h"
#include "session/SessionLocks.h"
#include "session/SiteLock.h"

namespace {

constexpr char kLocation[] = "CLoader::OnStartSetup";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

// Switches are found anywhere in the lower-cased parameters, also inside a
// longer word.
bool Has(const std::string& lowered, const char* key) {
  return lowered.find(key) != std::string::npos;
}

// One run of the start-up steps over the session's facade.
class StartSetup {
 public:
  explicit StartSetup(CLoader& loader) : loader_(loader), state_(loader.State()) {}

  // Returns when start-up has posted the download driver or stopped; a stop
  // has ended the session. Runtime errors travel to the caller.
  void Run();

 private:
  void LoadCommonControls();
  void CheckSiteLock();
  void CheckSetupUrl();
  void ReadModeSwitches(const std::string& lowered);
  void ReadOsCheckSwitch(const std::string& lowered);
  bool StopsForProtectedMode();
  void UpdateUserAgent(const std::string& lowered);
  void ConfigureNetwork();
  void CreateDeploymentFolder();
  bool StopsForMissingRights();
  bool StopsWithoutPackage();
  void MergeDescriptors();

  CLoader& loader_;
  SessionState& state_;
};

void StartSetup::Run() {
  LoadCommonControls();
  CheckSiteLock();
  CheckSetupUrl();
  Log().Info(kLocation, "additional params:" + state_.additionalParams);
  const std::string lowered = platform::CodePageLower(state_.additionalParams);
  ReadModeSwitches(lowered);
  PlatformChecks& checks = loader_.Environment().Checks();
  if (!checks.IsServerInTrustedZone())
    Log().Info(kLocation, "Warning: The URL " + state_.tkRootUrl + " is not in the trusted sites list");
  ReadOsCheckSwitch(lowered);
  if (!checks.IsSupportedOSVersion()) Log().Info(kLocation, "Not supported OS version detected.");
  checks.VerifySupportedBrowser(lowered);
  if (StopsForProtectedMode()) return;
  if (Has(lowered, "cancelcrlcheck=true")) {
    state_.cancelCrlCheck = true;
    Log().Info(kLocation, "Cancel CRL Check requested by url");
  }
  UpdateUserAgent(lowered);
  ConfigureNetwork();
  CreateDeploymentFolder();
  const bool msi = state_.msiDeployment != 0;
  ServerHandshakes& handshakes = loader_.Network().Handshakes();
  if (!msi && !handshakes.CheckServerVersion()) {
    Log().Warning(kLocation,
                  "This QX ZEL Platform Loader is not compatible with the version of QX ZEL "
                  "Platform from provided URL.");
    state_.serverIncompatible = true;
  }
  if (StopsForMissingRights()) return;
  loader_.Descriptors().MakeLocalCopies();
  if (!msi && !state_.separateClientDeployment) handshakes.ReadServerVersion();
  DeploymentEngine& engine = loader_.Engine();
  engine.InitializeLocalModeAnalysis();
  state_.msiDeploymentFound = engine.IsLocalMode();
  if (StopsWithoutPackage()) return;
  MergeDescriptors();
  loader_.SerializeSummaryIni();
  platform::PostWindowMessage(state_.window, WM_LOADER_START_DOWNLOAD, 0, 0);
}

void StartSetup::LoadCommonControls() {
  if (!platform::LoadCommonControlsLibrary())
    Log().Info(kLocation, Format("Unable to load comctl32.dll. Error:%d",
                                 static_cast<int>(platform::LastErrorCode())));
}

void StartSetup::CheckSiteLock() {
  if (!SiteLockFlag()) return;
  Log().Info(kLocation,
             "Initialization failure. ZEL server URL must be in the intranet zone or added to the "
             "trusted sites list.");
  throw std::runtime_error(resources::Text(resources::kOutsideApprovedZone));
}

void StartSetup::CheckSetupUrl() {
  if (!state_.setupFileBaseUrl.empty()) return;
  std::string message = resources::Text(resources::kSetupUrlMissing);
  if (loader_.Settings().UserIsAdmin()) message += resources::Text(resources::kSetupUrlMissingForAdmin);
  Log().Warning(kLocation, message);
  throw std::runtime_error(message);
}

void StartSetup::ReadModeSwitches(const std::string& lowered) {
  if (Has(lowered, "debugclient=true")) {
    state_.debugClient = true;
    Log().Info(kLocation, "Debug mode requested.");
  } else {
    Log().Info(kLocation, "Production mode requested.");
  }
  loader_.Network().Configuration().CheckForClientCertificate(lowered);
  state_.sharedMode = false;
  if (Has(lowered, "sharedmode=true")) {
    state_.sharedMode = true;
    state_.isolatedDeployment = 0;
    state_.installationOnly = -1;
    Log().Info(kLocation, "Shared deployment mode requested.");
  }
  if (Has(lowered, "comsurrogate=true")) {
    state_.comSurrogate = -1;
    Log().Info(kLocation, "COM surrogate requested.");
  }
  state_.embedClient = true;
  if (Has(lowered, "embedclient=false")) {
    state_.embedClient = false;
    Log().Info(kLocation, "Requested not to embed client in Loader window container.");
  }
  state_.separateClientDeployment = false;
  if (Has(lowered, "separateclientdeployment=true")) {
    state_.separateClientDeployment = true;
    Log().Info(kLocation, "Requested to have a separate deployment folder by the client.");
  }
}

void StartSetup::ReadOsCheckSwitch(const std::string& lowered) {
  if (Has(lowered, "skiposcheck=true")) {
    state_.skipOsCheck = true;
    Log().Info(kLocation, "Skip of OS verification requested by url");
    return;
  }
  std::string value;
  if (platform::ReadEnvironmentVariable("ZELSKIPOSCHECK", value) && value == "1") {
    state_.skipOsCheck = true;
    Log().Info(kLocation, "Skip of OS verification requested by env variable.");
    return;
  }
  Log().Info(kLocation, "ZELSKIPOSCHECK - eviroment variable not found or invalid value.");
  Log().Info(kLocation, "OS version would be verified.");
}

bool StartSetup::StopsForProtectedMode() {
  if (state_.msiDeployment != 0) {
    Log().Info(kLocation, "IE Protected Mode Check skipped since working in local mode");
    return false;
  }
  bool protectedMode = false;
  const platform::HResult result = loader_.IsIeInProtectedMode(protectedMode);
  if (result < 0 || !protectedMode) return false;
  Log().Info(kLocation,
             "Internet Explorer configured to run in protected mode. Unable to start deployment.");
  loader_.ReportFailure(resources::Text(resources::kProtectedMode));
  return true;
}

void StartSetup::UpdateUserAgent(const std::string& lowered) {
  const bool on = Has(lowered, "useragent=true");
  if (!on && !Has(lowered, "useragent=false")) return;
  loader_.Network().Configuration().UpdateUserAgentFlag(state_.isolatedDeployment != 0, on);
}

void StartSetup::ConfigureNetwork() {
  NetworkConfiguration& network = loader_.Network().Configuration();
  network.LoadIgnoreSecurityFlagsFromRegistry();
  network.TryAuthenticateClient();
  if (network.QueryUserAuthData()) {
    Log().Info(kLocation, "QueryUserAuthData - succeeded");
    network.SerializeNetworkConfiguration();
  } else {
    Log().Warning(kLocation, "Failed to configure special network setting...");
  }
  network.GetCookiesFromWinInetLayer();
}

void StartSetup::CreateDeploymentFolder() {
  std::string folder;
  loader_.Paths().ParsePath(folder, true, state_.isolatedDeployment != 0);
  state_.deploymentFolder = folder;
  CreateFoldersOfPath(folder + "\\");
  // The DeploymentLocation property answers from now on.
  state_.deploymentEngineInitialized = true;
}

bool StartSetup::StopsForMissingRights() {
  if (state_.isolatedDeployment != 0 || loader_.Settings().UserIsAdmin()) return false;
  Log().Info(kLocation, "Request for non-isolated mode installation without sufficient permissions.");
  std::string message;
  loader_.Environment().Checks().GetErrorMsgMissingAdminPermitions(message);
  loader_.ReportFailure(message);
  return true;
}

bool StartSetup::StopsWithoutPackage() {
  if (state_.msiDeploymentFound || state_.msiDeployment == 0) return false;
  const char kNoPackage[] = "Could not find an MSI deployment, but MsiDeployment property was set to true";
  Log().Warning(kLocation, kNoPackage);
  loader_.EndSession(SessionOutcome::Stopped, kNoPackage);
  return true;
}

void StartSetup::MergeDescriptors() {
  Log().Info(kLocation, state_.useZelServerVersion != 0 ? "Using per-version deployment."
                                                        : "Using separate deployment.");
  if (state_.msiDeploymentFound) {
    loader_.Descriptors().DownloadLocalIniAndMerge();
    return;
  }
  loader_.Network().Handshakes().LoadServerCacheVersion();
  loader_.Descriptors().DownloadServerIniAndMerge();
}

}  // namespace

intptr_t CLoader::OnStartSetup() {
  Log().Info(kLocation, "Starting setup");
  // No .NET download helper is ever provided, so there is no reference to
  // clear here.
  std::lock_guard<std::recursive_mutex> session(SessionLock());
  try {
    StartSetup(*this).Run();
  } catch (const std::runtime_error& error) {
    HandleInitializationRuntimeError(error.what());
  } catch (...) {
    Log().Warning(kLocation, "Exception while starting application setup.");
    ReportFailure(resources::Text(resources::kInitializationFailed));
  }
  return 0;
}

void CLoader::SerializeSummaryIni() {
  const std::string path = JoinPath(state_.deploymentFolder, "DSummary.ini");
  CIniFile summary;
  summary.SetCurrentSection("General");
  summary.SetValue("ClientBinariesPath", state_.deploymentFolder);
  summary.SetValue("ServerURL", state_.tkRootUrl);
  SimpleLogger& log = Log();
  if (!summary.Save(path)) log.Warning("CLoader::SerializeSummaryIni", "Unable to write " + path);
  log.Info("CLoader::SerializeSummaryIni",
           Format("Deployment info serialization. Directory:'%s' URL:'%s' Log:'%s'",
                  state_.deploymentFolder.c_str(), state_.tkRootUrl.c_str(), path.c_str()));
}
