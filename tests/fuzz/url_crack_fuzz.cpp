// The URL cracker the connection uses and the proxy bypass list. A cracked
// URL names a host without the characters that end or qualify one, and
// the host and port written back as a URL crack to the same; whether the
// override list sends a host direct agrees with a plain matcher.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/Internet.h"
#include "platform/TextCompare.h"
#include "platform/posix/internet_settings.h"

using platform::kErrorSuccess;

namespace {

// "*" any run, "?" any one character, letters without regard to case: the
// table way, so it shares nothing with the matcher under test.
bool MatchesPattern(const std::string& text, const std::string& pattern) {
  std::vector<std::vector<bool>> can(text.size() + 1, std::vector<bool>(pattern.size() + 1, false));
  can[text.size()][pattern.size()] = true;
  for (size_t p = pattern.size(); p-- > 0;) {
    for (size_t t = text.size() + 1; t-- > 0;) {
      if (pattern[p] == '*') {
        can[t][p] = can[t][p + 1] || (t < text.size() && can[t + 1][p]);
      } else if (t < text.size()) {
        can[t][p] = (pattern[p] == '?' || platform::OrdinalEqualsNoCase({&pattern[p], 1}, {&text[t], 1})) &&
                    can[t + 1][p + 1];
      }
    }
  }
  return can[0][0];
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool Bypassed(const std::string& host, const std::string& list) {
  bool loopback = true;
  std::vector<std::string> entries;
  size_t start = 0;
  for (size_t end; (end = list.find(';', start)) != std::string::npos; start = end + 1)
    entries.push_back(Trimmed(list.substr(start, end - start)));
  entries.push_back(Trimmed(list.substr(start)));
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;
    if (platform::OrdinalEqualsNoCase(entry, "<-loopback>")) {
      loopback = false;
    } else if (platform::OrdinalEqualsNoCase(entry, "<local>")) {
      if (host.find_first_of(".:") == std::string::npos) return true;
    } else if (MatchesPattern(host, entry)) {
      return true;
    }
  }
  return loopback && (platform::OrdinalEqualsNoCase(host, "localhost") || host.rfind("127.", 0) == 0 ||
                      host == "[::1]" || host == "::1");
}

void CheckCrack(const std::string& url, size_t hostBufferSize) {
  platform::UrlComponents parts;
  if (platform::InetCrackUrl(url, hostBufferSize, parts) != kErrorSuccess) return;
  FUZZ_CHECK(parts.host.size() < hostBufferSize);
  FUZZ_CHECK(parts.host.find_first_of("/?#@") == std::string::npos);
  FUZZ_CHECK(url.find(parts.host) != std::string::npos);
  if (parts.scheme == platform::kInternetSchemeHttp || parts.scheme == platform::kInternetSchemeHttps) {
    const bool secure = parts.scheme == platform::kInternetSchemeHttps;
    const std::string host = parts.host.find(':') != std::string::npos ? "[" + parts.host + "]" : parts.host;
    const std::string again =
        (secure ? "https://" : "http://") + host + ":" + std::to_string(parts.port) + "/";
    platform::UrlComponents reparsed;
    FUZZ_CHECK(platform::InetCrackUrl(again, hostBufferSize, reparsed) == kErrorSuccess);
    FUZZ_CHECK(reparsed.host == parts.host);
    FUZZ_CHECK(reparsed.port == parts.port);
    FUZZ_CHECK(reparsed.scheme == parts.scheme);
  }
}

}  // namespace

// The input: a URL (its first line), then the override list (the rest).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = BytesOf(data, size);
  const size_t newline = text.find('\n');
  const std::string url = text.substr(0, newline);
  const std::string list = newline == std::string::npos ? std::string() : text.substr(newline + 1);

  CheckCrack(url, 256);
  CheckCrack(url, 1 + size % 64);

  platform::UrlComponents parts;
  const std::string host =
      platform::InetCrackUrl(url, 1024, parts) == kErrorSuccess ? parts.host : url;
  FUZZ_CHECK(platform::posix::ProxyBypassed(host, list) == Bypassed(host, list));
  const std::string proxy = platform::posix::ProxyForScheme(list, "http");
  FUZZ_CHECK(proxy.size() <= list.size());
  return 0;
}
