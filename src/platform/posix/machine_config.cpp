#include "platform/posix/machine_config.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string_view>

#include "platform/TextCompare.h"
#include "platform/posix/machine_root.h"

namespace platform::posix {
namespace {

std::string Trim(const std::string& text) {
  size_t first = 0;
  while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  size_t last = text.size();
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

// The user's profile folder is C:\Users\<name>: a name that is not one
// plain folder name would place it, and everything below it, elsewhere.
bool IsPlainFolderName(const std::string& name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  // Windows drops trailing dots and blanks, so such a name names another
  // folder.
  if (name.back() == '.' || name.back() == ' ') return false;
  constexpr std::string_view kNotInNames = "\\/:*?\"<>|";
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || kNotInNames.find(c) != std::string_view::npos)
      return false;
  }
  return true;
}

void SetNumber(const std::string& value, uint32_t& field, int base = 10) {
  char* end = nullptr;
  unsigned long number = std::strtoul(value.c_str(), &end, base);
  if (!value.empty() && end && *end == '\0') field = static_cast<uint32_t>(number);
}

void AddZone(const std::string& host, const std::string& value, MachineConfig& config) {
  uint32_t zone = 0;
  char* end = nullptr;
  const unsigned long number = std::strtoul(value.c_str(), &end, 10);
  if (host.empty() || value.empty() || !end || *end != '\0' || number > 4) return;
  zone = static_cast<uint32_t>(number);
  config.zones.emplace_back(host, zone);
}

}  // namespace

MachineConfig LoadMachineConfig() {
  MachineConfig config;
  std::ifstream file(MachineRoot() + "/machine.ini");
  std::string line;
  std::string section;
  while (std::getline(file, line)) {
    line = Trim(line.substr(0, line.find(';')));
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = Trim(line.substr(1, line.size() - 2));
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    const auto is = [&](const char* wantedSection, const char* wantedName) {
      return OrdinalEqualsNoCase(section, wantedSection) && OrdinalEqualsNoCase(name, wantedName);
    };
    if (is("os", "major")) SetNumber(value, config.osMajor);
    else if (is("os", "minor")) SetNumber(value, config.osMinor);
    else if (is("os", "build")) SetNumber(value, config.osBuild);
    else if (is("os", "platform")) SetNumber(value, config.osPlatform);
    else if (is("os", "product_type")) SetNumber(value, config.productType);
    else if (is("os", "service_pack_major")) SetNumber(value, config.servicePackMajor);
    else if (is("os", "service_pack_minor")) SetNumber(value, config.servicePackMinor);
    else if (is("os", "service_pack")) config.servicePack = value;
    else if (is("os", "suite_mask")) SetNumber(value, config.suiteMask, 0);
    else if (is("user", "name") && IsPlainFolderName(value)) config.userName = value;
    else if (is("user", "administrator"))
      config.userIsAdministrator = OrdinalEqualsNoCase(value, "true") || value == "1" ||
                                   OrdinalEqualsNoCase(value, "yes");
    else if (is("user", "elevation_type")) SetNumber(value, config.elevationType);
    else if (is("browser", "ie_protected_mode")) config.ieProtectedMode = value;
    else if (OrdinalEqualsNoCase(section, "zones")) AddZone(name, value, config);
  }
  return config;
}

}  // namespace platform::posix
