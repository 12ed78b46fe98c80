// The walk of the download driver: every section of the merged setup
// descriptor in walk order, each component section read into a record and
// judged by the rules that decide whether it is fetched, only processed
// again or skipped. The records go to the session's download list; the
// main component's launch data, the manifest names and the .NET
// prerequisite data to the session as well.
#pragma once

#include <optional>
#include <string>

#include "deployment/CIniFile.h"
#include "descriptors/SectionOrder.h"
#include "descriptors/SetupDescriptor.h"
#include "environment/EnvironmentSettings.h"
#include "environment/RuntimePrerequisites.h"
#include "install/ComponentPresence.h"
#include "session/CDataStructure.h"

class CLoader;
struct SessionState;

class ComponentWalk {
 public:
  // changed: the sections that differ from the last deployment's.
  ComponentWalk(CLoader& loader, const CIniFile::NameSet& changed);

  // False when a missing prerequisite stopped the driver (the user has been
  // told); the list then holds what was taken before it.
  bool Run(const DescriptorSectionNames& names);

 private:
  enum class Decision { Take, Skip, Stop };

  void CollectMainComponent(const std::string& section, const ComponentSection& component);
  Decision Decide(const std::string& section, const ComponentSection& component, bool& unchanged);
  bool FlavorAllows(const std::string& section, const ComponentSection& component, bool& unchanged);
  Decision CheckPrerequisites(const ComponentSection& component);
  void Append(const ComponentSection& component, bool unchanged);
  bool AlreadyDownloaded(const CDataStructure& record);
  const CIniFile* DownloadedList();
  bool SharedRegistrationNeeded();
  bool DeployedWithAdmin();

  CLoader& loader_;
  SessionState& state_;
  const CIniFile::NameSet& changed_;
  EnvironmentSettingsValues environment_;
  ComponentPresence presence_;
  RuntimePrerequisites prerequisites_;

  // Each asked once per run.
  std::optional<bool> registrationNeeded_;
  std::optional<bool> deployedWithAdmin_;
  // "Downloaded.txt" as it was when the walk first needed it; nothing
  // writes it before the transfers.
  bool downloadedRead_ = false;
  std::optional<CIniFile> downloaded_;
};
