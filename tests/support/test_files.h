// Whole files for the tests, bytes in and out exactly as on disk. Paths are
// Windows paths of the test machine or, on posix, host paths.
#pragma once

#include <string>

#include "deployment/CIniFile.h"

// The path under which this binary reaches a path of the build machine:
// the same path natively, "Z:\..." under Wine.
std::string FromBuildMachine(const std::string& hostPath);

// Empty when the file cannot be read.
std::string ReadTestFile(const std::string& path);
// False when the file cannot be written whole.
bool WriteTestFile(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// text written to folder\name and loaded into a fresh CIniFile; the test
// fails when it does not load.
CIniFile IniFromText(const std::string& folder, const std::string& text,
                     const std::string& name = "from_text.ini");
