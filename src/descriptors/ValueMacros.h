// Macros inside the values of a setup descriptor. Every replacement is
// case-sensitive and replaces each occurrence.
#pragma once

#include <functional>
#include <string>

class CIniFile;

constexpr char kUrlMacro[] = "%URL%";
constexpr char kFullUrlMacro[] = "%FULLURL%";
constexpr char kTkRootMacro[] = "%TkRoot%";
constexpr char kAdditionalParamsMacro[] = "%AdditionalParams%";

// The folder macros, in the order they are replaced in a descriptor.
constexpr const char* kFolderMacros[] = {"%CommonDir%", "%ProgramDir%", "%WindowsDir%",
                                         "%SystemDir%", "%TempDir%"};

// The folder a macro stands for on this machine (path macro resolution).
using FolderMacroResolver = std::function<std::string(const std::string& macro)>;

// Replaces each folder macro, in the order above, in every value of the
// descriptor by the folder resolve gives for it. Every macro is resolved,
// used or not: the resolution logs and reports what it cannot work out.
void ReplaceFolderMacros(CIniFile& descriptor, const FolderMacroResolver& resolve);

// What the macros of the main component's "param_" values stand for.
struct LaunchMacroValues {
  std::string setupFileBaseUrl;   // "%URL%"
  std::string setupFile;          // "%FULLURL%": the SetupFile text as given
  std::string tkRootUrl;          // "%TkRoot%"
  std::string additionalParams;   // "%AdditionalParams%", network settings appended
  std::string commonDestination;  // "Common Data"/"Destination" text ...
  std::string deploymentFolder;   // ... which becomes the deployment folder
};

// "%URL%", "%FULLURL%", "%TkRoot%", "%AdditionalParams%" and last the common
// destination text, in that order: a text brought in by an earlier macro is
// subject to the later ones.
std::string ExpandLaunchMacros(const std::string& value, const LaunchMacroValues& values);
