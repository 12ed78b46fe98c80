#include "deployment/DeploymentNames.h"

namespace deployment {
namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string NormalizeServerUrl(const std::string& url) {
  size_t begin = 0;
  size_t end = url.size();
  while (begin < end && IsWhiteSpace(url[begin])) ++begin;
  while (end > begin && IsWhiteSpace(url[end - 1])) --end;
  while (end > begin && url[end - 1] == '/') --end;
  return url.substr(begin, end - begin);
}

std::string ServerUrlKey(const std::string& serverUrl) {
  std::string key = serverUrl;
  if (StartsWith(key, "https://")) key.erase(0, 8);
  if (StartsWith(key, "http://")) key.erase(0, 7);
  return key;
}

std::string MakeFolderBaseName(const std::string& serverUrlKey) {
  std::string name = serverUrlKey;
  const size_t at = name.find('@');
  if (at != std::string::npos) name.erase(0, at + 1);
  // The host's first label ends at whichever of ".", ":" and "/" comes
  // first: a dot further on, in the path, must not leave the port or a path
  // separator in a folder name.
  const size_t cut = name.find_first_of(".:/");
  if (cut != std::string::npos) name.erase(cut);
  return name;
}

std::string PackageUrlFromPath(const std::string& packagePath) {
  if (StartsWith(packagePath, "http://")) return packagePath;
  std::string url = "file:///" + packagePath;
  for (size_t i = 8; i < url.size(); ++i) {
    if (url[i] == '\\') url[i] = '/';
  }
  return url;
}

std::string LongPathForm(const std::string& path) {
  if (StartsWith(path, "\\\\?\\")) return path;
  if (StartsWith(path, "\\\\")) return "\\\\?\\UNC\\" + path.substr(2);
  return "\\\\?\\" + path;
}

std::string LastPathComponent(const std::string& path) {
  const size_t separator = path.rfind('\\');
  return separator == std::string::npos ? std::string() : path.substr(separator + 1);
}

}  // namespace deployment
