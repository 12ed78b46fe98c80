#include "environment/EnvironmentSettings.h"

std::string EnvironmentSettingsValues::ResourceString(int id) const {
  const auto found = resourceStrings.find(id);
  return found == resourceStrings.end() ? std::string() : found->second;
}
