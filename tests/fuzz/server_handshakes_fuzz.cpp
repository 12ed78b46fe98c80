// The server's three handshake replies. The same bytes serve as the start
// script, the cache version and the version code: each handshake leaves a
// defined state, a cache version is only ever one a URL query carries as
// it is, a version code only one that can name a folder and a section, and
// the start script matches exactly when one of its lines names the class.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"
#include "transfer/ServerHandshakes.h"

namespace {

// The class the fuzzed script is searched for; inputs that start with a
// line "class=NAME" search for NAME in the rest, so short keys are reached too.
constexpr char kClassIdentifier[] = "{6A1E3F52-7C0B-4D7E-9A51-2B8F3C4D5E60}";

class ReplyHost : public HandshakeHost, public FileDownloader {
 public:
  std::string ServerRootUrl() const override { return "http://server/root"; }
  std::string DeploymentFolder() const override { return "C:\\fuzz"; }
  std::string ClassIdentifier() const override { return classIdentifier; }
  FileDownloader& Downloader() override { return *this; }
  CacheVersionState& CacheVersion() override { return cacheVersion; }
  void SetUseZelServerVersion(bool use) override { useServerVersion = use; }
  void SetZelServerVersion(const std::string& version) override { serverVersion = version; }

  platform::HResult DownloadFile(const std::string& url, const std::string& localPath) override {
    const std::string& bytes = url.find("start_a.js") != std::string::npos ? script : reply;
    platform::UniqueStdioFile file(platform::OpenStdioFile(localPath, "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
      FuzzPropertyFailed("the reply can be written", __FILE__, __LINE__);
    return platform::kSOk;
  }

  std::string reply;
  std::string script;
  std::string classIdentifier = kClassIdentifier;
  CacheVersionState cacheVersion;
  bool useServerVersion = true;
  std::string serverVersion;
};

ReplyHost& Host() {
  static ReplyHost* host = [] {
    FuzzScratch::Instance();
    platform::CreateDirectoryWithParents("C:\\fuzz");
    return new ReplyHost;
  }();
  return *host;
}

// What the start-script check must answer, found the plain way: the whole
// text lowered, split at line feeds, each line searched.
bool ScriptNames(const std::string& script, std::string key) {
  key = platform::CodePageLower(key);
  if (key.size() >= 2 && key.front() == '{' && key.back() == '}') key = key.substr(1, key.size() - 2);
  if (key.empty()) return false;
  std::string lowered;
  const unsigned char* lower = platform::SystemCaseTables().lower;
  for (char c : script) lowered += static_cast<char>(lower[static_cast<unsigned char>(c)]);
  size_t start = 0;
  while (start <= lowered.size()) {
    size_t end = lowered.find('\n', start);
    if (end == std::string::npos) end = lowered.size();
    if (lowered.substr(start, end - start).find(key) != std::string::npos) return true;
    start = end + 1;
  }
  return false;
}

bool IsUrlSafe(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReplyHost& host = Host();
  host.reply = BytesOf(data, size);
  host.script = host.reply;
  host.classIdentifier = kClassIdentifier;
  if (host.reply.rfind("class=", 0) == 0) {
    const size_t end = host.reply.find('\n');
    host.classIdentifier = host.reply.substr(6, end == std::string::npos ? std::string::npos : end - 6);
    host.script = end == std::string::npos ? std::string() : host.reply.substr(end + 1);
  }

  // The parsers on their own.
  std::string line, version;
  if (ServerHandshakes::FirstLine(host.reply, line)) {
    FUZZ_CHECK(line.size() <= 1023);
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    FUZZ_CHECK(host.reply.compare(0, line.size(), line) == 0);
    if (ServerHandshakes::ParseCacheVersion(line, version)) {
      FUZZ_CHECK(version.rfind("CV", 0) == 0);
      for (char c : version) FUZZ_CHECK(IsUrlSafe(c));
    }
  } else {
    FUZZ_CHECK(host.reply.empty());
  }

  // The start script.
  FUZZ_CHECK(ServerHandshakes(host).CheckServerVersion() == ScriptNames(host.script, host.classIdentifier));

  // The cache version: known only in its form, and then the first line's.
  host.cacheVersion = CacheVersionState();
  ServerHandshakes(host).LoadServerCacheVersion();
  if (host.cacheVersion.known) {
    FUZZ_CHECK(ServerHandshakes::ParseCacheVersion(host.cacheVersion.version, version));
    FUZZ_CHECK(version == host.cacheVersion.version);
    FUZZ_CHECK(line.find(version) != std::string::npos);
  }

  // The version code: used only when it can name a folder and a section.
  host.useServerVersion = true;
  host.serverVersion.clear();
  ServerHandshakes(host).ReadServerVersion();
  if (host.useServerVersion) {
    const std::string& code = host.serverVersion;
    FUZZ_CHECK(ServerHandshakes::IsUsableVersionCode(code));
    FUZZ_CHECK(!code.empty() && code != "." && code != "..");
    FUZZ_CHECK(code.find_first_of("\\/:*?\"<>|[];=\r\n") == std::string::npos);
    FUZZ_CHECK(code.back() != '.' && code.back() != ' ');
  }
  return 0;
}
