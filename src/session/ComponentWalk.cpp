#include "session/ComponentWalk.h"

#include <cstdio>

#include "descriptors/ContentFlavors.h"
#include "descriptors/LaunchParameters.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "session/CLoader.h"
#include "session/ResourceStrings.h"

namespace {

constexpr char kLocation[] = "CLoader::OnStartDownload";
constexpr char kDownloadedList[] = "Downloaded.txt";
constexpr char kFilesSection[] = "Files";

void Log(const std::string& message) { SimpleLogger::GetInstance()->Info(kLocation, message); }

// The name a fetched file has on the machine: the last element of its URL,
// with the extensions the server stores binaries under turned back.
std::string LocalNameOfUrl(const std::string& url) {
  std::string name = ReplaceAll(url, ".lld", ".dll");
  name = ReplaceAll(name, ".xxx", ".exe");
  name = ReplaceAll(name, ".xco", ".ocx");
  name = ReplaceAll(name, "/", "\\");
  const size_t last = name.rfind('\\');
  return last == std::string::npos ? name : name.substr(last + 1);
}

// The folder part of a destination; empty for a bare file name, which then
// lies in the deployment folder.
std::string FolderOfDestination(const std::string& destination) {
  const std::string path = ReplaceAll(destination, "/", "\\");
  const size_t last = path.rfind('\\');
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

}  // namespace

ComponentWalk::ComponentWalk(CLoader& loader, const CIniFile::NameSet& changed)
    : loader_(loader),
      state_(loader.State()),
      changed_(changed),
      presence_(loader.Paths(), loader.Engine(), loader),
      prerequisites_(environment_) {
  environment_.isolatedDeployment = state_.isolatedDeployment != 0;
  environment_.skipOsCheck = state_.skipOsCheck;
  environment_.skipPreReqCheck = state_.skipPreReqCheck != 0;
  environment_.tkRootUrl = state_.tkRootUrl;
}

bool ComponentWalk::Run(const DescriptorSectionNames& names) {
  const std::string urlBase =
      state_.msiDeploymentFound ? loader_.Engine().GetPackageUrl() : state_.setupFileBaseUrl;
  for (const std::string& section : names) {
    const DescriptorSectionKind kind = ClassifySection(section);
    if (kind == DescriptorSectionKind::Manifest) {
      state_.manifestNames.push_back(state_.mergedSetup.GetValue(section, "ShortName"));
      continue;
    }
    if (kind != DescriptorSectionKind::Component) continue;

    const ComponentSection component = ReadComponentSection(state_.mergedSetup, section, urlBase);
    if (!component.forceDownload.empty()) {
      state_.dotNetVersion = component.forceDownload;
      state_.dotNetServicePack = component.netServicePack;
      state_.dotNetDescription = component.description;
    }
    if (component.main) CollectMainComponent(section, component);

    bool unchanged = false;
    switch (Decide(section, component, unchanged)) {
      case Decision::Take: Append(component, unchanged); break;
      case Decision::Skip: break;
      case Decision::Stop: return false;
    }
  }
  return true;
}

void ComponentWalk::CollectMainComponent(const std::string& section,
                                         const ComponentSection& component) {
  state_.mainProgId = component.progId;
  state_.mainDestination = component.shortName;
  LaunchSettings settings;
  settings.domainName = state_.domainName;
  settings.domainPassword = state_.domainPassword;
  settings.macros.setupFileBaseUrl = state_.setupFileBaseUrl;
  settings.macros.setupFile = state_.setupFile;
  settings.macros.tkRootUrl = state_.tkRootUrl;
  settings.macros.additionalParams = state_.additionalParams;
  settings.macros.commonDestination =
      state_.mergedSetup.GetValue(kCommonDataSection, kDestinationKey);
  settings.macros.deploymentFolder = state_.deploymentFolder;
  LaunchParameterList list;
  AppendLaunchParameters(state_.mergedSetup, section, component.progId, settings, list);
  for (LaunchParameter& entry : list.entries)
    state_.launchParameters.emplace_back(std::move(entry.name), std::move(entry.value));
  state_.launchParameterCount += list.builtInCount;
}

ComponentWalk::Decision ComponentWalk::Decide(const std::string& section,
                                              const ComponentSection& component,
                                              bool& unchanged) {
  const bool shared = loader_.Engine().IsSharedDeployment();
  // Nothing to do in this run: the launch data above are all it needs.
  if ((state_.flavorAlreadyDeployed && state_.isolatedDeployment && !shared) ||
      state_.serverIncompatible)
    return Decision::Skip;

  if (state_.debugClient && !component.version.empty() &&
      presence_.CheckIfLocalFileExists(component.shortName)) {
    Log(component.shortName + " installed, skipping.");
    return Decision::Skip;
  }
  if (shared && !SharedRegistrationNeeded()) {
    Log("Running from shared deployment folder,skipping:" + component.shortName);
    return Decision::Skip;
  }
  if (!FlavorAllows(section, component, unchanged)) return Decision::Skip;

  const Decision prerequisite = CheckPrerequisites(component);
  if (prerequisite != Decision::Take) return prerequisite;

  if (component.requiresAdminRights && !loader_.Settings().UserIsAdmin()) {
    Log("User does not have admin permissions which are required for component \"" +
        component.shortName + "\", skipping componenet download and installation");
    return Decision::Skip;
  }
  return Decision::Take;
}

bool ComponentWalk::FlavorAllows(const std::string& section, const ComponentSection& component,
                                 bool& unchanged) {
  const bool requested = FlavorListAccepts(component.contentFlavors, state_.downloadContentFlavor);
  const bool last = FlavorListAccepts(component.contentFlavors, state_.lastDeployedFlavor);
  unchanged = false;
  if (changed_.count(section) != 0) {
    if (loader_.Engine().HasPreviousMergedSetup()) return requested || last;
    if (requested) state_.newFlavorContent = true;
    return requested;
  }
  if (!requested) return false;
  if (!last) {
    state_.newFlavorContent = true;
    return true;
  }
  unchanged = true;
  if (loader_.Engine().IsSharedDeployment() || !state_.isolatedDeployment) return true;
  // An isolated deployment is processed again only for a user whose rights
  // differ from those it was made with.
  return loader_.Settings().UserIsAdmin() != DeployedWithAdmin();
}

ComponentWalk::Decision ComponentWalk::CheckPrerequisites(const ComponentSection& component) {
  if (!component.forceDownload.empty()) {
    if (prerequisites_.CheckNetFrameworkExists(state_.dotNetVersion, state_.dotNetServicePack)) {
      Log(component.description + " is installed, skipping.");
      return Decision::Skip;
    }
    const bool mayInstall = component.setup &&
                            (!state_.isolatedDeployment || component.registerIsolated) &&
                            !state_.sharedMode;
    if (!mayInstall) {
      loader_.ShowMissingPrerequisitePage(component.description);
      return Decision::Stop;
    }
  } else if (!component.msi.empty() && prerequisites_.CheckWIndowsInstallerExists()) {
    Log(component.description + " is installed, skipping.");
    return Decision::Skip;
  }
  return Decision::Take;
}

void ComponentWalk::Append(const ComponentSection& component, bool unchanged) {
  CDataStructure record;
  record.position = static_cast<int32_t>(state_.downloadList.size());
  record.sourceUrl = component.urlName;
  record.destination = component.shortName;
  record.registerComponent = component.registerComponent;
  record.progId = component.progId;
  record.setup = component.setup;
  record.setupHidden = component.setupHidden;
  record.dotNetAssembly = component.dotNet;
  record.extract = component.extract;
  record.setupOptions = component.setupOptions;
  record.dotNetVersion = component.forceDownload;
  record.msiMarker = component.msi;
  record.destinationAsWritten = component.shortName;
  record.registryFile = component.regFile;
  record.exitCode = component.exitCode;
  record.description = component.description;
  record.requiresAdminRights = component.requiresAdminRights;
  record.registerIsolated = component.registerIsolated;
  record.unchanged = unchanged;
  record.alreadyPresent = unchanged || AlreadyDownloaded(record);
  record.statusLine = resources::Text(resources::kDownload) + component.description +
                      resources::Text(record.alreadyPresent ? resources::kComplete
                                                            : resources::kInProgress);
  state_.downloadList.push_back(std::move(record));
}

bool ComponentWalk::AlreadyDownloaded(const CDataStructure& record) {
  const CIniFile* downloaded = DownloadedList();
  if (!downloaded || downloaded->GetValue(kFilesSection, record.sourceUrl).empty()) return false;
  const std::string name = LocalNameOfUrl(record.sourceUrl);
  const std::string folder = FolderOfDestination(record.destination);
  return presence_.CheckFileExists(folder.empty() ? name : folder + "\\" + name);
}

const CIniFile* ComponentWalk::DownloadedList() {
  if (!downloadedRead_) {
    downloadedRead_ = true;
    const std::string path = state_.deploymentFolder + "\\" + kDownloadedList;
    // Opened for appending first: the transfers record into the file only
    // when it exists.
    if (FILE* file = platform::OpenStdioFile(path, "ab")) {
      std::fclose(file);
      downloaded_.emplace();
      downloaded_->Load(path);
    }
  }
  return downloaded_ ? &*downloaded_ : nullptr;
}

bool ComponentWalk::SharedRegistrationNeeded() {
  if (!registrationNeeded_) registrationNeeded_ = loader_.Engine().CheckIfSharedRegistrationNeeded();
  return *registrationNeeded_;
}

bool ComponentWalk::DeployedWithAdmin() {
  if (!deployedWithAdmin_) deployedWithAdmin_ = loader_.Engine().WasDeployedWithAdmin();
  return *deployedWithAdmin_;
}
