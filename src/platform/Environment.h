// Process environment variables.
#pragma once

#include <string>

namespace platform {

// False when the variable is not set (an empty value counts as set).
bool ReadEnvironmentVariable(const std::string& name, std::string& value);
bool WriteEnvironmentVariable(const std::string& name, const std::string& value);
bool RemoveEnvironmentVariable(const std::string& name);

}  // namespace platform
