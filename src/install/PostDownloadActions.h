// What follows the downloads of a run: cabinets are unpacked, the client's
// extension manifests merged, registry files imported, components
// registered and setup programs, INF files and Windows Installer packages
// run, one component after the other, telling the user what is being
// processed. Nothing here stops the run: failures are logged or entered
// into the failure report and the next component follows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/PostDownloadHost.h"
#include "session/CDataStructure.h"

class PostDownloadActions {
 public:
  explicit PostDownloadActions(PostDownloadHost& host) : host_(host) {}

  // Works on its own copy of the list; no record is changed.
  void Run(const std::vector<CDataStructure>& records);

  // Unpacks the record's cabinet beside it.
  void ExtractCab(const CDataStructure& record);
  // Runs the deployment's mmerge.exe over the extension manifests, unless
  // there are none or the client and flavour are both deployed already.
  void MergeManifests();
  // Shows "Processing <text>..." in the components text window.
  void NotifyUserOfPostDownloadAction(const std::string& text);

 private:
  // Where the install pass finds a component's files.
  struct Paths {
    std::string name;            // the file name without its folder
    std::string folder;          // ends in "\"
    std::string registryFile;    // <deployment folder>\<REGFile or name.reg>
    std::string target;          // the file in the destination folder
    std::string extension;       // the target's last four characters, lower case
    std::string registryFolder;  // folder with "\" doubled, as a .reg string needs it
  };
  enum class RunOutcome { NotStarted, Ended, TimedOut };

  void Install(const CDataStructure& record, bool& registered);
  Paths PathsOf(const CDataStructure& record);
  void Register(const CDataStructure& record, const Paths& paths);
  void ImportRegistry(const CDataStructure& record, const Paths& paths);
  bool CabinetWouldOverwriteRecords(const std::string& cabinet, const std::string& folder);

  // Setup programs, INF files and packages (SetupPrograms.cpp).
  void RunSetup(const CDataStructure& record, const Paths& paths);
  void RunSetupProgram(const CDataStructure& record, const Paths& paths);
  void InstallInf(const std::string& inf);
  void InstallPackage(const CDataStructure& record, const Paths& paths);
  // runExeAndWait with the host's time-out; a program still running then is
  // reported and left behind.
  RunOutcome RunInstaller(const std::string& program, const std::string& arguments, bool hidden,
                          uint32_t& exitCode);

  PostDownloadHost& host_;
};

// Replaces "%URL%" in the values of an INF file's key lines and leaves
// every other byte as it was. False when the file cannot be read or written.
bool ReplaceUrlInInf(const std::string& path, const std::string& url);
