// Files of the build machine as the test binary sees them, and folder trees
// read back for comparison.
#pragma once

#include <map>
#include <string>

#include "test_files.h"

// The path under which this binary reaches a path of the build machine:
// the same path natively, "Z:\..." under Wine.
std::string FromBuildMachine(const std::string& hostPath);

// Every file below the folder (a Windows path), by its path relative to the
// folder with "/" separators, with its content.
std::map<std::string, std::string> ReadTree(const std::string& folder);
