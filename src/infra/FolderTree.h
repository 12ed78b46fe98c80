// Creating and removing whole folder paths.
#pragma once

#include <string>

// Creates every folder along the path up to its last "\" (the last
// component of a path that does not end in "\" is taken for a file name
// and not created). Errors, such as a folder that exists, are ignored.
void CreateFoldersOfPath(const std::string& path);

// Removes the folder and everything below it; true also when there is
// nothing to remove. Entries that cannot be removed are logged and the
// walk goes on; false only when the walk itself fails. A link or junction,
// inside the folder or the folder itself, is removed as the link: the walk
// never goes through it, so nothing outside the folder is touched.
bool RecursiveDirDelete(const std::string& folder);
