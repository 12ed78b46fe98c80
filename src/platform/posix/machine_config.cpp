#include "platform/posix/machine_config.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

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

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
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
      section = Lower(Trim(line.substr(1, line.size() - 2)));
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = section + "." + Lower(Trim(line.substr(0, equals)));
    const std::string value = Trim(line.substr(equals + 1));
    if (key == "os.major") SetNumber(value, config.osMajor);
    else if (key == "os.minor") SetNumber(value, config.osMinor);
    else if (key == "os.build") SetNumber(value, config.osBuild);
    else if (key == "os.platform") SetNumber(value, config.osPlatform);
    else if (key == "os.product_type") SetNumber(value, config.productType);
    else if (key == "os.service_pack_major") SetNumber(value, config.servicePackMajor);
    else if (key == "os.service_pack_minor") SetNumber(value, config.servicePackMinor);
    else if (key == "os.service_pack") config.servicePack = value;
    else if (key == "os.suite_mask") SetNumber(value, config.suiteMask, 0);
    else if (key == "user.name" && !value.empty()) config.userName = value;
    else if (key == "user.administrator")
      config.userIsAdministrator = Lower(value) == "true" || value == "1" || Lower(value) == "yes";
    else if (key == "user.elevation_type") SetNumber(value, config.elevationType);
    else if (key == "browser.ie_protected_mode") config.ieProtectedMode = Lower(value);
    else if (section == "zones") AddZone(key.substr(section.size() + 1), value, config);
  }
  return config;
}

}  // namespace platform::posix
