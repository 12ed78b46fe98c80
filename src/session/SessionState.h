// The loader session's state: everything the control object owns for its
// life, with the defaults it has when the control is constructed. Each stage
// of the session (start-up, properties, progress view, failure report,
// download driver, completion) works on these fields; CLoader holds one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "deployment/CIniFile.h"
#include "descriptors/DescriptorSources.h"
#include "platform/WindowSystem.h"
#include "session/CDataStructure.h"
#include "transfer/CacheVersion.h"
#include "transfer/NetworkProperties.h"

// A COM VARIANT_BOOL: 0 is false, anything else (the page sends -1) true;
// kept as given.
using VariantBool = int16_t;
// A COLORREF: 0x00BBGGRR.
using ColorRef = uint32_t;

struct SessionState {
  // Windows.
  platform::WindowHandle window = 0;        // the control's own window
  platform::WindowHandle clientWindow = 0;  // the started client's, once it registers

  // Properties of the page.
  std::string tkRootUrl;
  std::string setupFile;                // as given
  std::string setupFileBaseUrl;         // up to the split point, trailing "/" removed
  std::string setupFileBaseUrlTrimmed;  // the same without white space at both ends
  std::string setupFileName;            // the name key of setupFile
  VariantBool isVuvoVizizSetup = 0;
  std::string setupExtFile, setupExtFileName;
  std::string pluginExtFiles, pluginExtFilesName;
  std::string additionalParams;
  std::string domainName, domainPassword;
  std::string downloadContentFlavor;
  // The authentication properties, which are the network configuration.
  NetworkProperties network;
  std::string customPreReqPageUrl;
  std::string zelServerVersion;
  VariantBool browserUi = 0;
  VariantBool installationOnly = 0;
  VariantBool isolatedDeployment = 0;
  VariantBool skipPreReqCheck = 0;
  VariantBool msiDeployment = 0;
  VariantBool useZelServerVersion = 0;
  ColorRef progColor = 0x008E001D;  // red 29, green 0, blue 142
  ColorRef progBkColor = 0x00FFFFFF;

  // Switches of the additional parameters and what start-up found.
  bool debugClient = false;
  bool sharedMode = false;
  VariantBool comSurrogate = 0;
  bool embedClient = false;  // start-up sets it before reading "embedclient=false"
  bool separateClientDeployment = false;
  bool skipOsCheck = false;
  bool cancelCrlCheck = false;
  bool serverIncompatible = false;
  bool msiDeploymentFound = false;
  std::string deploymentFolder;
  // The deployment location may be asked for once start-up has set the
  // deployment engine up.
  bool deploymentEngineInitialized = false;
  // IsUserAnAdmin, asked of the system once.
  bool userIsAdminKnown = false;
  bool userIsAdmin = false;

  // Start-up (OnStartSetup): the server's cache version, which the
  // transfer puts on server URLs, and the descriptor names the merge reads
  // and rewrites (their local copies, the local-descriptor folder, the
  // unpacked main descriptor's name).
  CacheVersionState cacheVersion;
  DescriptorNames descriptorNames;

  // The progress view.
  int32_t rowHeight = 18;
  platform::WindowHandle componentsTextWindow = 0;
  platform::WindowHandle progressComponentsWindow = 0;
  std::vector<platform::WindowHandle> statusWindows;        // one per record, 0 when none
  std::vector<platform::WindowHandle> fileProgressWindows;  // one per record, 0 when none
  std::deque<int> finishedMarks;        // 1: the record needs no (more) transfer
  platform::WindowRect lastObjectRect;  // the last position given to the in-place object

  // The download driver and completion.
  CIniFile mergedSetup;  // the merged setup descriptor
  std::vector<CDataStructure> downloadList;
  std::string mainProgId, mainDestination;
  std::vector<std::pair<std::string, std::string>> launchParameters;

  // The download driver: what its walk found, for completion and launch.
  std::string lastDeployedFlavor;
  bool clientAlreadyDeployed = false;
  bool flavorAlreadyDeployed = false;
  // A component was taken because it belongs to the requested flavour and
  // not to the last deployed one; completion then records the new flavour.
  bool newFlavorContent = false;
  // The entries at the front of launchParameters that came from no
  // "param_" key.
  size_t launchParameterCount = 0;
  std::vector<std::string> manifestNames;
  // "ForceDownload", "NETSP" and "Description" of the last component that
  // named a .NET Framework version.
  std::string dotNetVersion, dotNetServicePack, dotNetDescription;
  // Completion, launch and teardown keep these.
  platform::WindowHandle hostedUiWindow = 0;  // the control window, once the client is launched
  bool activationContextCreated = false;     // by the deployment helper, for the hosted UI
  bool faultFilterHeld = false;              // start-up installed the last-chance handler
  // How long a setup program or the debug touch may run, and how long a
  // client asked to close is given before it is ended.
  uint32_t installTimeoutMs = 30u * 60u * 1000u;
  uint32_t clientCloseTimeoutMs = 30000;
};
