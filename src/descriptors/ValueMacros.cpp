#include "descriptors/ValueMacros.h"

#include "deployment/CIniFile.h"
#include "infra/StringHelpers.h"

void ReplaceFolderMacros(CIniFile& descriptor, const FolderMacroResolver& resolve) {
  for (const char* macro : kFolderMacros) descriptor.ReplaceInValues(macro, resolve(macro));
}

std::string ExpandLaunchMacros(const std::string& value, const LaunchMacroValues& values) {
  std::string text = ReplaceAll(value, kUrlMacro, values.setupFileBaseUrl);
  text = ReplaceAll(text, kFullUrlMacro, values.setupFile);
  text = ReplaceAll(text, kTkRootMacro, values.tkRootUrl);
  text = ReplaceAll(text, kAdditionalParamsMacro, values.additionalParams);
  return ReplaceAll(text, values.commonDestination, values.deploymentFolder);
}
