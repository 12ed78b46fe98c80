// Folder trees read back for comparison.
#pragma once

#include <map>
#include <string>

#include "test_files.h"

// Every file below the folder (a Windows path), by its path relative to the
// folder with "/" separators, with its content.
std::map<std::string, std::string> ReadTree(const std::string& folder);
