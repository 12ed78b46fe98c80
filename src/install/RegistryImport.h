// Registry files that come with components: the descriptor's substitutions,
// the target folder put in for "[TARGETDIR]", and the import itself (the
// system's reg.exe on Windows, a merge into the hives on posix).
#pragma once

#include <string>

#include "deployment/CIniFile.h"

// Copies the registry file to a new temporary file with "[TARGETDIR]"
// replaced by targetFolder, imports that copy and deletes it. Failures are
// logged; the import's outcome is not the caller's concern.
void ImportRegFile(const std::string& registryFile, const std::string& targetFolder);

// Writes source to target with every occurrence of search replaced,
// line by line. From the first line that holds a "~" on, the replacement
// is used in its short (8.3) form, as such a line expects. False when
// either file cannot be opened.
bool CopyWithReplacement(const std::string& source, const std::string& target,
                         const std::string& search, const std::string& replacement);

// Writes source to target with the text of every key of the descriptor's
// section (except "TARGETDIR") replaced by its value. False when source
// cannot be read or target written.
bool ApplyRegistrySubstitutions(CIniFile& setup, const std::string& section,
                                const std::string& source, const std::string& target);
