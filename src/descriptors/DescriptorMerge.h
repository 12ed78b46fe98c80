// Fetches the setup descriptors and merges them into the control's merged
// setup descriptor: the main descriptor (SetupFile), an optional extension
// descriptor (SetupExtFile) whose sections are added to it, and the
// descriptors of an optional plug-in list (PluginExtFiles), renumbered so
// that the main descriptor's components come first. Each descriptor is an
// INI file inside a signed cabinet. Server mode fetches them from the
// server into the deployment folder; local mode from the installation
// package into its "TempLocalInis" folder. Whatever happens, the cabinets,
// unpacked INI files, the list and the Extensions folder are removed again.
// The log locations are the control's ("CLoader::DownloadIniFile", ...).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "deployment/CIniFile.h"
#include "descriptors/CollisionSuffix.h"
#include "descriptors/DescriptorSources.h"
#include "infra/FailureTrace.h"
#include "transfer/FileDownloader.h"

class DescriptorMerge {
 public:
  static constexpr const char* kServerMergedFile = "download_all.ini";
  static constexpr const char* kLocalMergedFile = "download_all_local.ini";
  static constexpr const char* kLocalFolder = "TempLocalInis";
  static constexpr const char* kExtensionsFolder = "Extensions";

  DescriptorMerge(DescriptorSources& sources, CIniFile& merged, FileDownloader& downloader,
                  FailureTrace& failures);

  // The merge runs once per start-up. Both return true once they have run;
  // a main descriptor that cannot be fetched or verified raises
  // std::runtime_error whose message is the text for the user.
  bool DownloadServerIniAndMerge();
  bool DownloadLocalIniAndMerge();

  // The steps, in the order the two above run them.
  void DownloadIniFiles(const std::string& root, const std::string& mainName,
                        const std::string& extensionName, bool fromServer);
  bool DownloadIniFile(const std::string& source, const std::string& target,
                       const std::string& name, std::string& error);
  void DownloadFilesList(const std::string& listUrl, const std::string& listPath,
                         const std::string& clientFolder, const std::string& serverFolder,
                         std::string& error, bool fromServer);
  void MergeSetupIniFiles(const std::string& root, CIniFile& merged, std::string& mainName,
                          std::string& extensionName, const std::string& mergedFileName);
  bool ExtractIniFromCab(const std::string& folder, std::string& name);
  bool MergeExtensionDescriptors(const std::string& listName, const std::string& subFolder,
                                 CIniFile& merged, const std::string& mergedFileName,
                                 bool renumber, const std::string& root);
  static void PrefixSectionsWithNumber(CIniFile& document, const std::string& number,
                                       const std::string& text);

  // True when a descriptor's name (taken from its property's URL) names one
  // file below root: a name that leads anywhere else is neither fetched,
  // unpacked nor deleted, as if its property were empty; for the main
  // descriptor that is a failed download. The download logs the refusal.
  static bool NamesFileInRoot(const std::string& name, bool logRefusal = false);

  // The seed of the collision suffixes; the current time in seconds unless
  // replaced.
  void SetSeedSource(std::function<uint32_t()> source) { seedSource_ = std::move(source); }

 private:
  std::string ExtensionsFolder(const std::string& root) const;
  void AddExtensionSections(CIniFile& merged, CIniFile& extension);
  void CleanUp(const std::string& root, const std::string& mainName,
               const std::string& extensionName);
  // Runs the download and the merge; a runtime error of the download still
  // has the fetched files removed before it travels on.
  void DownloadAndMerge(const std::string& root, std::string& mainName,
                        std::string& extensionName, bool fromServer,
                        const std::string& mergedFileName);

  DescriptorSources& sources_;
  CIniFile& merged_;
  FileDownloader& downloader_;
  FailureTrace& failures_;
  CollisionSuffix suffix_;
  std::function<uint32_t()> seedSource_;
};
