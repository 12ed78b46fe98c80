// Section lookups the deployment location needs beyond CIniFile's own.
#pragma once

#include <string>

#include "deployment/CIniFile.h"

namespace deployment {

// True when the file has the section, even one without keys.
inline bool HasSection(const CIniFile& file, const std::string& section) {
  CIniFile::NameSet names;
  file.GetSectionNames(names);
  return names.count(section) != 0;
}

}  // namespace deployment
