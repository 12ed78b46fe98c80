#include "platform/posix/windows_path.h"

#include <cctype>

namespace platform::posix {
namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

std::vector<std::string> SplitAtBackslashes(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Win32 normalisation of the names after the root: "." and ".." first, then
// the trailing characters. keep is how many leading names ".." never removes
// (a UNC path's server and share).
std::vector<std::string> NormalisedNames(const std::string& rest, size_t keep) {
  std::vector<std::string> names;
  for (const std::string& part : SplitAtBackslashes(rest)) {
    if (part == "..") {
      if (names.size() > keep) names.pop_back();
    } else if (!part.empty() && part != ".") {
      names.push_back(part);
    }
  }
  const bool endsWithSeparator = !rest.empty() && rest.back() == '\\';
  for (size_t i = 0; i < names.size(); ++i) {
    std::string& name = names[i];
    if (i + 1 == names.size() && !endsWithSeparator) {
      while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    } else if (name.size() >= 2 && name.back() == '.' && name[name.size() - 2] != '.') {
      name.pop_back();
    }
  }
  // A last name of dots and blanks only names the folder it is in.
  if (!names.empty() && names.back().empty()) names.pop_back();
  return names;
}

// The names of a "\\?\" path, as they stand.
bool LiteralNames(const std::string& rest, std::vector<std::string>& names) {
  for (const std::string& part : SplitAtBackslashes(rest)) {
    if (part.empty()) continue;
    if (part == "." || part == ".." || part.find('/') != std::string::npos) return false;
    names.push_back(part);
  }
  return true;
}

bool IsDrive(const std::string& path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

bool ParseWindowsPath(const std::string& path, WindowsPath& parsed) {
  parsed = WindowsPath();
  if (StartsWith(path, "\\\\?\\")) {
    std::string rest;
    if (StartsWith(path, "\\\\?\\UNC\\")) {
      parsed.kind = WindowsPath::Kind::Unc;
      rest = path.substr(8);
    } else if (IsDrive(path.substr(4))) {
      parsed.kind = WindowsPath::Kind::Drive;
      parsed.drive = static_cast<char>(std::tolower(static_cast<unsigned char>(path[4])));
      rest = path.substr(6);
    } else {
      // Neither a drive nor a server: no file system object Windows knows.
      return false;
    }
    return LiteralNames(rest, parsed.names);
  }

  if (!path.empty() && path[0] == '/') {
    // A host path; a "\" joined onto it by Windows-minded code is a separator.
    parsed.kind = WindowsPath::Kind::Host;
    parsed.text = path;
    for (char& c : parsed.text) {
      if (c == '\\') c = '/';
    }
    return true;
  }
  std::string normal = path;
  for (char& c : normal) {
    if (c == '/') c = '\\';
  }
  if (StartsWith(normal, "\\\\")) {
    parsed.kind = WindowsPath::Kind::Unc;
    parsed.names = NormalisedNames(normal.substr(2), 2);
  } else if (IsDrive(normal)) {
    parsed.kind = WindowsPath::Kind::Drive;
    parsed.drive = static_cast<char>(std::tolower(static_cast<unsigned char>(normal[0])));
    parsed.names = NormalisedNames(normal.substr(2), 0);
  } else if (!normal.empty() && normal[0] == '\\') {
    parsed.kind = WindowsPath::Kind::Drive;
    parsed.names = NormalisedNames(normal.substr(1), 0);
  } else {
    // Relative: only the separators change; the host resolves the rest.
    parsed.kind = WindowsPath::Kind::Relative;
    parsed.text = path;
    for (char& c : parsed.text) {
      if (c == '\\') c = '/';
    }
  }
  return true;
}

}  // namespace platform::posix
