// Fetching the descriptors: the extension descriptor, the plug-in list and
// its cabinets, then the main descriptor, each checked for its signature.
#include <chrono>
#include <ctime>
#include <stdexcept>
#include <thread>

#include "descriptors/DescriptorMerge.h"
#include "descriptors/PluginList.h"
#include "infra/FolderTree.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "install/CabinetMemberPath.h"
#include "integrity/CSignedCode.h"
#include "platform/EmbeddedSignature.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kServerLocation[] = "CLoader::DownloadServerIniAndMerge";
constexpr char kLocalLocation[] = "CLoader::DownloadLocalIniAndMerge";
constexpr char kFilesLocation[] = "CLoader::DownloadIniFiles";
constexpr char kFileLocation[] = "CLoader::DownloadIniFile";
constexpr char kListLocation[] = "CLoader::DownloadFilesList";

// The characters a local package location starts with ("file:///").
constexpr size_t kFileUrlPrefixLength = 8;

void Log(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Info(location, message);
}

std::string WithBackslashes(const std::string& text) { return ReplaceAll(text, "/", "\\"); }

bool EndsWithCabNoCase(const std::string& name) {
  return name.size() > 4 && platform::CodePageEqualsNoCase(name.substr(name.size() - 4), ".cab");
}

}  // namespace

DescriptorMerge::DescriptorMerge(DescriptorSources& sources, CIniFile& merged,
                                 FileDownloader& downloader, FailureTrace& failures)
    : sources_(sources),
      merged_(merged),
      downloader_(downloader),
      failures_(failures),
      seedSource_([] { return static_cast<uint32_t>(std::time(nullptr)); }) {}

bool DescriptorMerge::NamesFileInRoot(const std::string& name, bool logRefusal) {
  if (!name.empty() && IsContainedMemberPath(name)) return true;
  if (logRefusal) {
    SimpleLogger::GetInstance()->Warning(
        kFilesLocation,
        Format("The descriptor name '%s' names no file inside the deployment folder. Skipped.",
               name.c_str()));
  }
  return false;
}

std::string DescriptorMerge::ExtensionsFolder(const std::string& root) const {
  return root + "\\" + kExtensionsFolder + "\\";
}

bool DescriptorMerge::DownloadServerIniAndMerge() {
  Log(kServerLocation, "Starting download of server setup files");
  DescriptorNames& names = sources_.Names();
  DownloadAndMerge(sources_.DeploymentFolder(), names.setupFile, names.setupExtFile, true,
                   kServerMergedFile);
  return true;
}

bool DescriptorMerge::DownloadLocalIniAndMerge() {
  Log(kLocalLocation, "Starting download of local setup files");
  DescriptorNames& names = sources_.Names();
  names.localDescriptorFolder += std::string("\\") + kLocalFolder;
  CreateFoldersOfPath(names.localDescriptorFolder);
  CreateFoldersOfPath(ExtensionsFolder(names.localDescriptorFolder));
  DownloadAndMerge(names.localDescriptorFolder, names.localSetupFile, names.localSetupExtFile,
                   false, kLocalMergedFile);
  return true;
}

void DescriptorMerge::DownloadAndMerge(const std::string& root, std::string& mainName,
                                       std::string& extensionName, bool fromServer,
                                       const std::string& mergedFileName) {
  try {
    DownloadIniFiles(root, mainName, extensionName, fromServer);
  } catch (...) {
    // The merge does not run, so nothing else would remove what was fetched.
    CleanUp(root, mainName, extensionName);
    throw;
  }
  MergeSetupIniFiles(root, merged_, mainName, extensionName, mergedFileName);
}

void DescriptorMerge::DownloadIniFiles(const std::string& root, const std::string& mainName,
                                       const std::string& extensionName, bool fromServer) {
  Log(kFilesLocation, "Start download of setup cab files for ini extraction and merge.");
  Log(kFilesLocation,
      Format("rootPath='%s', setupName='%s', customModules='%s', isDownloadFromServer=%d",
             root.c_str(), mainName.c_str(), extensionName.c_str(), fromServer ? 1 : 0));
  const std::string extensions = ExtensionsFolder(root);
  CreateFoldersOfPath(extensions);
  const std::string packageUrl = fromServer ? std::string() : sources_.PackageUrl();
  std::string error;

  if (!sources_.SetupExtFileUrl().empty() && NamesFileInRoot(extensionName, true)) {
    const std::string source =
        fromServer ? sources_.SetupExtFileUrl() : packageUrl + "/" + extensionName;
    DownloadIniFile(source, root + "\\" + extensionName, extensionName, error);
  }

  if (!sources_.PluginExtFilesUrl().empty() && NamesFileInRoot(sources_.PluginExtFilesName(), true)) {
    const std::string serverFolder =
        (fromServer ? sources_.TkRootUrl() : packageUrl) + "/" + kExtensionsFolder + "/";
    DownloadFilesList(sources_.PluginExtFilesUrl(), root + "\\" + sources_.PluginExtFilesName(),
                      extensions, serverFolder, error, fromServer);
  }

  if (!sources_.SetupFileUrl().empty()) {
    const std::string source = fromServer ? sources_.SetupFileUrl() : packageUrl + "/" + mainName;
    if (!NamesFileInRoot(mainName, true)) {
      error = Format("Failed to download this file - %s", mainName.c_str());
      Log(kFilesLocation, error);
      throw std::runtime_error(error);
    }
    if (!DownloadIniFile(source, root + "\\" + mainName, mainName, error)) {
      Log(kFilesLocation, error);
      throw std::runtime_error(error);
    }
  }

  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  Log(kFilesLocation, "Finished download of setup cab files for ini extraction and merge.");
}

bool DescriptorMerge::DownloadIniFile(const std::string& source, const std::string& target,
                                      const std::string& name, std::string& error) {
  CSignedCode verifier(sources_.CancelCrlCheck());
  Log(kFileLocation, Format("Removing target file %s", target.c_str()));
  platform::DeletePath(target);
  Log(kFileLocation, "Done");
  CreateFoldersOfPath(target);

  const platform::HResult code = downloader_.DownloadFile(source, target);
  Log(kFileLocation, Format("Download completed with 0x%X", static_cast<unsigned>(code)));
  if (code != platform::kSOk) {
    const std::string message = Format("%s - Failed to download this file. Error code 0x%X",
                                       source.c_str(), static_cast<unsigned>(code));
    error = Format("Failed to download this file - %s", name.c_str());
    if (EndsWithCabNoCase(name)) {
      // The customer's own modules are optional: their absence is no failure.
      if (name.find("custom_modules.cab") != std::string::npos) {
        SimpleLogger::GetInstance()->Warning(kFileLocation, message);
      } else {
        failures_.TraceError(message, "");
      }
    }
    return false;
  }

  if (verifier.CheckObjectSignature(target, true) != 0) return true;

  const platform::HResult result = verifier.LastResult();
  platform::SetLastErrorCode(static_cast<platform::Win32Error>(static_cast<uint32_t>(result)));
  std::string message;
  if (result == platform::kCertEChaining) {
    message = Format(
        "%s - Can't verify digital signature. Some certificates are not installed or are not "
        "updated.",
        source.c_str());
    error = Format(
        "Can't verify digital signature. Some certificates are not installed or are not updated "
        "- %s",
        name.c_str());
  } else {
    message = Format("%s - This file has no digital signature or signature cannot be validated.",
                     source.c_str());
    error = Format("This file has no digital signature or signature cannot be validated - %s",
                   name.c_str());
  }
  failures_.TraceError(message, "");
  platform::DeletePath(target);
  return false;
}

void DescriptorMerge::DownloadFilesList(const std::string& listUrl, const std::string& listPath,
                                        const std::string& clientFolder,
                                        const std::string& serverFolder, std::string& error,
                                        bool fromServer) {
  Log(kListLocation,
      Format("sURL='%s', sFileOfFilesList='%s', sClientFolder='%s', sServerFolder='%s', "
             "sError='%s' bServerDownload='%d'",
             listUrl.c_str(), listPath.c_str(), clientFolder.c_str(), serverFolder.c_str(),
             error.c_str(), fromServer ? 1 : 0));
  platform::DeletePath(listPath);

  bool ok = false;
  if (fromServer) {
    // The list itself carries no signature; each cabinet it names does.
    ok = downloader_.DownloadFile(listUrl, listPath) == platform::kSOk;
    Log(kListLocation, "Downloading file list from server.");
  } else {
    std::string packageList = sources_.PackageUrl() + "\\" + kExtensionsFolder + "\\" +
                              sources_.PluginExtFilesName();
    packageList = WithBackslashes(packageList.substr(kFileUrlPrefixLength));
    Log(kListLocation, Format("Extension list imported from:'%s'", packageList.c_str()));
    Log(kListLocation, "Using local file list.");
    if (FileExists(packageList)) {
      Log(kListLocation, Format("Copy local extension list %s to expected location %s",
                                packageList.c_str(), listPath.c_str()));
      platform::CopyFileReplacing(packageList, listPath);
      ok = FileExists(listPath);
    }
  }
  if (!ok) {
    SimpleLogger::GetInstance()->Warning(kListLocation, "Extensions files list creation aborted.");
    return;
  }

  Log(kListLocation, Format("Parsing extensions file list... List location '%s'", listPath.c_str()));
  PluginListReader list;
  list.Open(listPath);
  std::string line;
  while (list.Next(line)) {
    switch (ClassifyPluginLine(line)) {
      case PluginLine::Folder:
        Log(kListLocation,
            Format("FileList contains '%s'that is path and not the file name. Skipped.",
                   line.c_str()));
        continue;
      case PluginLine::OutsideExtensions:
        // Nothing the server lists may land outside the Extensions folder.
        SimpleLogger::GetInstance()->Warning(
            kListLocation,
            Format("FileList contains '%s' that names no file inside the Extensions folder. "
                   "Skipped.",
                   line.c_str()));
        continue;
      case PluginLine::Cabinet:
        break;
    }
    DownloadIniFile(serverFolder + line, clientFolder + WithBackslashes(line), line, error);
    Log(kListLocation, "DownloadIniFile completed");
  }
}
