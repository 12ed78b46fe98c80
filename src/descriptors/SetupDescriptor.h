// The setup descriptor: the server's INI list of client components. Its
// section kinds, the keys of a component section and the "Y" flag rule.
#pragma once

#include <string>

class CIniFile;

enum class DescriptorSectionKind {
  Manifest,    // names one application manifest to merge ("ShortName")
  Component,   // one component file
  CommonData,  // "Common Data": the common destination folder text
  Other,       // ignored by the driver
};

constexpr char kCommonDataSection[] = "Common Data";
constexpr char kDestinationKey[] = "Destination";

// Classifies by the name with leading white space removed and lower-cased:
// "manifest_" anywhere wins over "file_" anywhere, so "Manifest_File_X" names
// a manifest. Numbers around the name ("0002File_Client") keep the kind.
DescriptorSectionKind ClassifySection(const std::string& name);

// A flag is set only by "Y" in either case; "Yes" and "1" are not set.
bool IsYes(const std::string& value);

// The keys of one component section, in the order they are read. A missing
// key reads as an empty string or false.
struct ComponentSection {
  std::string urlName;  // "%URL%" already replaced
  std::string shortName;
  std::string description;  // "ShortName" when the section leaves it empty
  std::string progId;
  std::string version;
  bool main = false;
  std::string checkMd5;
  std::string setupOptions;
  std::string forceDownload;  // required .NET Framework version
  std::string netServicePack;
  std::string msi;
  std::string regFile;
  std::string exitCode;
  bool registerComponent = false;
  bool setup = false;
  bool setupHidden = false;
  bool dotNet = false;
  bool extract = false;
  std::string checkSize;
  bool requiresAdminRights = false;
  bool registerIsolated = false;
  std::string contentFlavors;
};

// Reads a component section; "%URL%" in "URLName" becomes urlBase (the setup
// file's base URL in server mode, the installation package location in local
// mode).
ComponentSection ReadComponentSection(const CIniFile& descriptor, const std::string& section,
                                      const std::string& urlBase);
