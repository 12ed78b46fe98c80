// Creating whole folder paths.
#pragma once

#include <string>

// Creates every folder along the path up to its last "\" (the last
// component of a path that does not end in "\" is taken for a file name
// and not created). Errors, such as a folder that exists, are ignored.
void CreateFoldersOfPath(const std::string& path);
