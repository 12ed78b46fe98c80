#include "transfer/ServerHandshakes.h"

#include <cctype>
#include <cstdio>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"

namespace {

// The first line is read into a buffer of 1,024 bytes.
constexpr size_t kFirstLineLimit = 1023;
constexpr size_t kLongLine = 65536;

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

std::string ClassKey(const std::string& classIdentifier) {
  std::string key = platform::CodePageLower(classIdentifier);
  if (key.size() >= 2 && key.front() == '{' && key.back() == '}') key = key.substr(1, key.size() - 2);
  return key;
}

// Up to kFirstLineLimit bytes from the start of the file; false when it
// cannot be opened.
bool ReadHead(const std::string& path, std::string& head) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "rb"));
  if (!file) return false;
  head.assign(kFirstLineLimit, '\0');
  head.resize(std::fread(&head[0], 1, kFirstLineLimit, file.get()));
  return !std::ferror(file.get());
}

bool IsUrlSafe(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' || c == '~';
}

}  // namespace

bool ServerHandshakes::FirstLine(const std::string& reply, std::string& line) {
  if (reply.empty()) return false;
  const size_t end = reply.find('\n');
  line = reply.substr(0, end == std::string::npos ? kFirstLineLimit : end);
  if (line.size() > kFirstLineLimit) line.resize(kFirstLineLimit);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool ServerHandshakes::ParseCacheVersion(const std::string& line, std::string& version) {
  const size_t first = line.find_first_not_of(" \t\r\n\v\f");
  const size_t last = line.find_last_not_of(" \t\r\n\v\f");
  version = first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
  if (version.compare(0, 2, "CV") != 0) return false;
  // It goes into every server URL's query as it is.
  for (char c : version) {
    if (!IsUrlSafe(c)) return false;
  }
  return true;
}

bool ServerHandshakes::IsUsableVersionCode(const std::string& code) {
  if (code.empty() || code == "." || code == "..") return false;
  if (code.front() == ' ' || code.back() == ' ' || code.back() == '.') return false;
  for (char c : code) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string("\\/:*?\"<>|[];=").find(c) != std::string::npos)
      return false;
  }
  return true;
}

bool ServerHandshakes::CheckServerVersion() {
  static const char kLocation[] = "CLoader::CheckServerVersion";
  Log().Info(kLocation, "Verify ZEL Platform version on provided URL");
  const std::string path = host_.DeploymentFolder() + "\\server_script.txt";
  if (host_.Downloader().DownloadFile(JoinUrl(host_.ServerRootUrl(), "start_a.js"), path) != platform::kSOk) {
    Log().Info(kLocation, "Error downloading start_a.js file can't verify platform version.");
    return false;
  }
  Log().Info(kLocation, "start_a.js downloaded.");
  const std::string key = ClassKey(host_.ClassIdentifier());
  Log().Info(kLocation, "Opening " + path);
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "rb"));
  if (!file) {
    Log().Info(kLocation, "Failed to open " + path);
    return false;
  }
  // Lines are lowered and searched as they are read; of a very long line
  // only the tail a match could still start in is kept.
  const unsigned char* lower = platform::SystemCaseTables().lower;
  bool matched = false;
  std::string line;
  for (int c = std::fgetc(file.get()); !matched; c = std::fgetc(file.get())) {
    const bool lineEnds = c == EOF || c == '\n';
    if (!lineEnds) line += static_cast<char>(lower[static_cast<unsigned char>(c)]);
    if (!lineEnds && line.size() < kLongLine) continue;
    matched = !key.empty() && line.find(key) != std::string::npos;
    line = lineEnds || key.size() < 2 ? std::string() : line.substr(line.size() - (key.size() - 1));
    if (c == EOF) break;
  }
  if (matched) Log().Info(kLocation, "ZEL Platform version corresponds to the version of ZEL Loader.");
  Log().Info(kLocation, "Closing and removing " + path);
  file.reset();
  platform::DeletePath(path);
  if (!matched)
    Log().Info(kLocation, "ZEL Platform Loader is not compatible with the QX ZEL version on provided URL.");
  return matched;
}

void ServerHandshakes::LoadServerCacheVersion() {
  static const char kLocation[] = "CLoader::LoadServerCacheVersion";
  const std::string path = host_.DeploymentFolder() + "\\CacheVersion";
  platform::DeletePath(path);
  const platform::HResult result =
      host_.Downloader().DownloadFile(JoinUrl(host_.ServerRootUrl(), "servlet/tkservlet?method=CacheVersion"), path);
  if (result != platform::kSOk || !FileExists(path)) {
    Log().Warning(kLocation, "Failed to download cache version from server, falling back to not using cache version");
    return;
  }
  Log().Info(kLocation, "Cache version downloaded, parsing cache version file");
  std::string head, line, version;
  if (!ReadHead(path, head)) {
    Log().Warning(kLocation, "Failed to read cache version file, falling back to not using cache version");
    return;
  }
  if (!FirstLine(head, line)) {
    Log().Warning(kLocation, "No data in cache file, falling back to not using cache version");
    return;
  }
  if (!ParseCacheVersion(line, version)) {
    Log().Warning(kLocation, Format("Cache version received from server is not of correct format, received '%s'. "
                                    "Falling back to not using cache version",
                                    version.c_str()));
    return;
  }
  CacheVersionState& state = host_.CacheVersion();
  state.version = version;
  state.known = true;
  Log().Info(kLocation, Format("Read cache version: %s", version.c_str()));
}

void ServerHandshakes::ReadServerVersion() {
  static const char kLocation[] = "CLoader::ReadServerVersion";
  host_.SetUseZelServerVersion(false);
  const std::string path = host_.DeploymentFolder() + "\\ServerVersion";
  platform::DeletePath(path);
  const platform::HResult result =
      host_.Downloader().DownloadFile(JoinUrl(host_.ServerRootUrl(), "wnservlet?method=ServerVersion"), path);
  if (result != platform::kSOk || !FileExists(path)) {
    Log().Warning(kLocation, "Failed to retrieve version information from server");
    return;
  }
  Log().Info(kLocation, "Version information downloaded, parsing...");
  std::string head, line;
  if (!ReadHead(path, head)) {
    Log().Warning(kLocation, "Failed to read version information");
    return;
  }
  FirstLine(head, line);
  if (platform::CodePageEqualsNoCase(line, kForceSeparate)) return;
  // The code names the deployment's folder and its section: a reply that
  // could not be one leaves per-version deployment off.
  if (!IsUsableVersionCode(line)) {
    Log().Warning(kLocation, Format("Version information received from server is not usable, received '%s'",
                                    line.c_str()));
    return;
  }
  host_.SetZelServerVersion(line);
  host_.SetUseZelServerVersion(true);
}
