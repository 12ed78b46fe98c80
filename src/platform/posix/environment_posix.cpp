#include <cstdlib>

#include "platform/Environment.h"

namespace platform {

bool ReadEnvironmentVariable(const std::string& name, std::string& value) {
  const char* text = std::getenv(name.c_str());
  if (!text) return false;
  value = text;
  return true;
}

bool WriteEnvironmentVariable(const std::string& name, const std::string& value) {
  return setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool RemoveEnvironmentVariable(const std::string& name) { return unsetenv(name.c_str()) == 0; }

}  // namespace platform
