#include "cli/PropertyAssignments.h"

#include <cstdlib>
#include <fstream>

#include "infra/StringHelpers.h"

namespace {

std::string TrimBlanks(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  const size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

bool Check(const std::string& name, const std::string& value, const std::string& origin,
           PropertyAssignment& assignment, std::string& error) {
  const PropertyEntry* property = FindProperty(name);
  if (!property) {
    error = origin + ": unknown property \"" + name + "\" (deploy --help lists them)";
    return false;
  }
  const std::string problem = CheckPropertyValue(*property, value);
  if (!problem.empty()) {
    error = origin + ": " + problem;
    return false;
  }
  assignment = {property, value, origin};
  return true;
}

// Splits at the first "="; on the command line the shell has already said
// where the value begins and ends, in a file blanks around both are dropped.
bool Split(const std::string& text, const std::string& origin, bool trimBlanks,
           PropertyAssignment& assignment, std::string& error) {
  const size_t equals = text.find('=');
  std::string name = text.substr(0, equals);
  if (trimBlanks) name = TrimBlanks(name);
  if (equals == std::string::npos || name.empty()) {
    error = origin + ": expected NAME=VALUE, not \"" + text + "\"";
    return false;
  }
  std::string value = text.substr(equals + 1);
  if (trimBlanks) value = TrimBlanks(value);
  return Check(name, value, origin, assignment, error);
}

platform::HResult ApplyScriptOnly(LoaderProperties& properties, const std::string& name,
                                  const std::string& value) {
  if (name == "AuthUser") return properties.put_AuthUser(value);
  if (name == "AuthPassword") return properties.put_AuthPassword(value);
  if (name == "AuthProxyUser") return properties.put_AuthProxyUser(value);
  if (name == "AuthProxyPassword") return properties.put_AuthProxyPassword(value);
  if (name == "AuthProxyURL") return properties.put_AuthProxyURL(value);
  if (name == "AuthProxyPort")
    return properties.put_AuthProxyPort(static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 10)));
  if (name == "AuthReserved") return properties.put_AuthReserved(value);
  return kDispEMemberNotFound;
}

}  // namespace

bool ParseAssignment(const std::string& text, const std::string& origin,
                     PropertyAssignment& assignment, std::string& error) {
  return Split(text, origin, false, assignment, error);
}

bool ReadAssignmentsFile(const std::string& path, std::vector<PropertyAssignment>& assignments,
                         std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read the properties file \"" + path + "\"";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string content = TrimBlanks(line);
    if (content.empty() || content[0] == '#') continue;
    PropertyAssignment assignment;
    if (!Split(content, Format("%s:%d", path.c_str(), number), true, assignment, error))
      return false;
    assignments.push_back(assignment);
  }
  if (file.bad()) {
    error = "cannot read the properties file \"" + path + "\"";
    return false;
  }
  return true;
}

bool ApplyAssignments(const std::vector<PropertyAssignment>& assignments,
                      LoaderProperties& properties, ControlSize& size, std::string& error) {
  for (const PropertyAssignment& assignment : assignments) {
    const PropertyEntry& property = *assignment.property;
    platform::HResult result = platform::kSOk;
    if (property.kind == ValueKind::Extent) {
      const int32_t pixels =
          HimetricToPixels(static_cast<uint32_t>(std::strtoul(assignment.value.c_str(), nullptr, 10)));
      (property.name == "_cx" ? size.width : size.height) = pixels;
    } else if (property.persisted) {
      result = ApplyPersistedProperty(properties, *property.persisted, assignment.value);
    } else {
      result = ApplyScriptOnly(properties, property.name, assignment.value);
    }
    if (result != platform::kSOk) {
      error = Format("%s: the loader refused %s (0x%08X)", assignment.origin.c_str(),
                     property.name.c_str(), static_cast<unsigned>(result));
      return false;
    }
  }
  return true;
}
