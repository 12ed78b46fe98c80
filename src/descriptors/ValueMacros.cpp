#include "descriptors/ValueMacros.h"

#include "deployment/CIniFile.h"

std::string ReplaceAll(std::string text, const std::string& search,
                       const std::string& replacement) {
  if (search.empty()) return text;
  size_t position = text.find(search);
  while (position != std::string::npos) {
    text.replace(position, search.size(), replacement);
    position = text.find(search, position + replacement.size());
  }
  return text;
}

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
