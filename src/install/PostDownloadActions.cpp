#include "install/PostDownloadActions.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "install/AssemblyRegistration.h"
#include "install/CCabinetExtractor.h"
#include "install/CabinetLocator.h"
#include "install/ComSurrogate.h"
#include "install/ComponentRegistration.h"
#include "install/InstallText.h"
#include "install/MessagePump.h"
#include "install/ProcessRunner.h"
#include "install/RegistryImport.h"
#include "install/WorkingList.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kProcessing[] = "Processing";  // string 111
constexpr char kRegistrySection[] = "Registry";
constexpr char kTargetDirKey[] = "TARGETDIR";

// The loader's own records beside the client's files; a component's cabinet
// must not replace them.
constexpr const char* kLoaderRecords[] = {"Downloaded.txt", "DSummary.ini", "Deployments.ini"};
constexpr char kMergedSetupPrefix[] = "merged-";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

std::string WithFinalSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

bool EndsWithCab(const std::string& path) {
  return path.size() > 4 && LowerTail(path, 4) == ".cab";
}

bool SameFolder(const std::string& a, const std::string& b) {
  return platform::CodePageEqualsNoCase(WithFinalSeparator(a), WithFinalSeparator(b));
}

}  // namespace

void PostDownloadActions::Run(const std::vector<CDataStructure>& records) {
  const char* const location = "CLoader::PostDownloadActions";
  if (records.empty()) return;
  try {
    const std::vector<CDataStructure> working = BuildWorkingList(records);
    for (const CDataStructure& record : working) {
      PumpMessages();
      if (record.extract && !record.unchanged && EndsWithCab(record.destination)) {
        NotifyUserOfPostDownloadAction(record.description);
        ExtractCab(record);
      }
    }
    PumpMessages();
    MergeManifests();

    bool registered = false;
    for (const CDataStructure& record : working) Install(record, registered);
    if (registered && host_.ComSurrogate()) EnableXPI_SA_Surrogate(!host_.IsVuvoVizizSetup());
  } catch (const std::exception& error) {
    Log().Error(location, error.what());
  } catch (...) {
    Log().Error(location, "Unknown exception");
  }
}

PostDownloadActions::Paths PostDownloadActions::PathsOf(const CDataStructure& record) {
  const std::string deploymentFolder = host_.DeploymentFolder();
  Paths paths;
  const std::string path = ReplaceAll(record.destinationAsWritten, "/", "\\");
  paths.name = FileNamePart(path);
  uint32_t attributes = 0;
  paths.folder =
      platform::ReadPathAttributes(path, attributes) ? FolderPart(path) : deploymentFolder;
  paths.folder = WithFinalSeparator(ReplaceAll(paths.folder, "/", "\\"));
  paths.registryFile = JoinPath(
      deploymentFolder, record.registryFile.empty() ? paths.name + ".reg" : record.registryFile);
  const size_t separator = record.destination.rfind('\\');
  paths.target = separator == std::string::npos
                     ? "\\" + paths.name
                     : record.destination.substr(0, separator + 1) + paths.name;
  paths.extension = LowerTail(paths.target, 4);
  paths.registryFolder = ReplaceAll(paths.folder, "\\", "\\\\");
  return paths;
}

void PostDownloadActions::Install(const CDataStructure& record, bool& registered) {
  const char* const location = "CLoader::PostDownloadActions";
  try {
    NotifyUserOfPostDownloadAction(record.description);
    const Paths paths = PathsOf(record);
    const bool registerIt =
        !record.setup &&
        (host_.IsolatedDeployment() ? record.registerIsolated : record.registerComponent) &&
        !host_.SharedMode();
    if (registerIt) {
      registered = true;
      if (FileExists(paths.registryFile)) {
        ImportRegistry(record, paths);
      } else {
        Register(record, paths);
      }
    }
    if (record.setup && (!host_.IsolatedDeployment() || record.registerIsolated) &&
        !host_.SharedMode())
      RunSetup(record, paths);
  } catch (const std::exception& error) {
    Log().Error(location, Format("%s: %s", record.destination.c_str(), error.what()));
  } catch (...) {
    Log().Error(location, Format("%s: Unknown exception", record.destination.c_str()));
  }
}

void PostDownloadActions::Register(const CDataStructure& record, const Paths& paths) {
  if (paths.extension == ".exe") {
    if (record.dotNetAssembly) {
      RegisterAssemblyAndLogError(paths.target, record.progId, host_.Failures());
    } else {
      RegisterActiveXExe(paths.target);
    }
  } else if (record.dotNetAssembly) {
    RegisterAssemblyAndLogError(paths.target, record.progId, host_.Failures());
  } else if (paths.extension == ".dll" || paths.extension == ".ocx" || paths.extension == ".tlb") {
    RegisterLibrary(paths.target, paths.extension, host_.Failures());
  }
}

void PostDownloadActions::ImportRegistry(const CDataStructure& record, const Paths& paths) {
  const char* const location = "CLoader::PostDownloadActions";
  Log().Info(location, "Importing registry settings:" + record.destination);
  CIniFile& setup = host_.MergedSetup();
  const std::string targetFolder =
      setup.HasKey(kRegistrySection, kTargetDirKey)
          ? WithFinalSeparator(setup.GetValue(kRegistrySection, kTargetDirKey))
          : paths.registryFolder;
  // The working folder is not made in advance; without it no temporary
  // name can be had and nothing would be imported.
  const std::string temporaryFolder = host_.LoaderTempFolder();
  platform::CreateDirectoryWithParents(temporaryFolder);
  std::string substituted;
  if (!platform::CreateTempFileName(temporaryFolder, "Registry", substituted)) {
    Log().Error(location, Format("No temporary file in %s for %s", temporaryFolder.c_str(),
                                 paths.registryFile.c_str()));
    return;
  }
  if (ApplyRegistrySubstitutions(setup, kRegistrySection, paths.registryFile, substituted))
    ImportRegFile(substituted, targetFolder);
}

void PostDownloadActions::ExtractCab(const CDataStructure& record) {
  const char* const location = "CLoader::ExtractCab";
  const std::string& cabinet = record.destination;
  Log().Info(location, "Extracting cab:" + cabinet);
  const std::string name = FileNamePart(cabinet);
  const size_t separator = cabinet.rfind('\\');
  const std::string folder =
      separator == std::string::npos ? std::string("\\") : cabinet.substr(0, separator);
  std::unique_ptr<CCabinetExtractor> extractor = CCabinetExtractor::Create();
  if (!extractor) {
    host_.Failures().TraceError(name, "Cannot create the FDI context ");
    return;
  }
  if (!extractor->IsCabinet(cabinet)) {
    host_.Failures().TraceError(name, "It isn't a real cabinet ");
    return;
  }
  if (CabinetWouldOverwriteRecords(cabinet, folder) || !extractor->Copy(cabinet, folder))
    host_.Failures().TraceError(name, "Cannot extract files from " + cabinet);
}

bool PostDownloadActions::CabinetWouldOverwriteRecords(const std::string& cabinet,
                                                       const std::string& folder) {
  const bool inDeploymentFolder = SameFolder(folder, host_.DeploymentFolder());
  for (const std::string& member : ListCabinetMembers(cabinet)) {
    const std::string path = ReplaceAll(member, "/", "\\");
    bool protectedFile = platform::CodePageEqualsNoCase(path, FileNamePart(cabinet));
    if (inDeploymentFolder) {
      for (const char* record : kLoaderRecords)
        protectedFile |= platform::CodePageEqualsNoCase(path, record);
      protectedFile |= platform::CodePageLower(path).rfind(kMergedSetupPrefix, 0) == 0;
    }
    if (protectedFile) {
      Log().Error("CLoader::ExtractCab",
                  Format("%s holds %s, which would replace the cabinet or the loader's own record; "
                         "nothing is extracted",
                         cabinet.c_str(), member.c_str()));
      return true;
    }
  }
  return false;
}

void PostDownloadActions::MergeManifests() {
  const char* const location = "CLoader::MergeManifests";
  const std::vector<std::string> manifests = host_.ManifestNames();
  if (manifests.empty() || (host_.ClientAlreadyDeployed() && host_.FlavorAlreadyDeployed())) return;
  const std::string folder = host_.DeploymentFolder();
  std::string arguments = "\"" + folder + "\"";
  for (const std::string& manifest : manifests) arguments += " " + manifest;
  uint32_t exitCode = 0;
  switch (RunInstaller(folder + "\\mmerge.exe", arguments, true, exitCode)) {
    case RunOutcome::NotStarted:
      host_.Failures().TraceError(
          "CLoader", "Extension manifests merge failed. See mmerge.log.txt for details.");
      break;
    case RunOutcome::Ended:
      Log().Info(location, "Merge of extensions manifests completed succeessfully.");
      break;
    case RunOutcome::TimedOut:  // reported already
      break;
  }
}

void PostDownloadActions::NotifyUserOfPostDownloadAction(const std::string& text) {
  if (!host_.HasComponentsTextWindow()) {
    Log().Info("CLoader::NotifyUserOfPostDownloadAction",
               "Unexpected flow, m_hWndComponentsText is null. Can't notify user.");
    return;
  }
  const std::string line = std::string(kProcessing) + " " + text + "...";
  const NotificationMetrics metrics = host_.MeasureNotification(line);
  NotificationPlace place;
  place.x = metrics.controlWidth / 2 - metrics.textWidth / 2;
  place.y = (metrics.controlHeight / 4 - metrics.lineHeight) * 2;
  place.width = metrics.textWidth;
  place.height = metrics.lineHeight;
  host_.ShowNotification(line, place);
  PumpMessages();
}
