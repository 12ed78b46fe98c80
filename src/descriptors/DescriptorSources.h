// What the descriptor download and merge read from the control and the
// names it rewrites. The control implements it over its own fields;
// DescriptorSourcesValues holds plain values for hosts without a control
// and for tests.
#pragma once

#include <string>

// Names the merge reads and rewrites: after an unpack a descriptor is known
// by the name of its INI file ("x.cab" becomes "x.ini").
struct DescriptorNames {
  // The file names taken from the SetupFile and SetupExtFile URLs.
  std::string setupFile;
  std::string setupExtFile;
  // Their copies for local mode, made at start-up.
  std::string localSetupFile;
  std::string localSetupExtFile;
  // A copy of the deployment folder made at start-up; local mode extends it
  // by "\TempLocalInis".
  std::string localDescriptorFolder;
  // The unpacked main descriptor's INI file name.
  std::string mainDescriptorFile;
};

class DescriptorSources {
 public:
  virtual ~DescriptorSources() = default;

  // The SetupFile, SetupExtFile and PluginExtFiles properties as given:
  // full URLs, or empty.
  virtual std::string SetupFileUrl() const = 0;
  virtual std::string SetupExtFileUrl() const = 0;
  virtual std::string PluginExtFilesUrl() const = 0;
  // The file name taken from the PluginExtFiles URL.
  virtual std::string PluginExtFilesName() const = 0;
  // The server root URL, without its final "/".
  virtual std::string TkRootUrl() const = 0;
  // The deployment folder worked out at start-up.
  virtual std::string DeploymentFolder() const = 0;
  // Local mode: the installation package location as a URL ("file:///"
  // before a folder path, a web address as it is).
  virtual std::string PackageUrl() const = 0;
  // "cancelcrlcheck=true": handed to the signature checks.
  virtual bool CancelCrlCheck() const = 0;

  virtual DescriptorNames& Names() = 0;
};

class DescriptorSourcesValues : public DescriptorSources {
 public:
  std::string setupFileUrl, setupExtFileUrl, pluginExtFilesUrl;
  std::string pluginExtFilesName;
  std::string tkRootUrl;
  std::string deploymentFolder;
  std::string packageUrl;
  bool cancelCrlCheck = false;
  DescriptorNames names;

  std::string SetupFileUrl() const override { return setupFileUrl; }
  std::string SetupExtFileUrl() const override { return setupExtFileUrl; }
  std::string PluginExtFilesUrl() const override { return pluginExtFilesUrl; }
  std::string PluginExtFilesName() const override { return pluginExtFilesName; }
  std::string TkRootUrl() const override { return tkRootUrl; }
  std::string DeploymentFolder() const override { return deploymentFolder; }
  std::string PackageUrl() const override { return packageUrl; }
  bool CancelCrlCheck() const override { return cancelCrlCheck; }
  DescriptorNames& Names() override { return names; }
};
