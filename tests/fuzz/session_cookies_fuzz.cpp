// The session's cookies. The input's first line is the URL a request goes
// to; every further line is a "Set-Cookie:" header a server sent or a line
// of the cookie engine's list. The lines are chosen from as they stand and
// once more after a cookie engine of libcurl's has taken them, as the
// session's takes what servers send. Whatever the lines hold, the
// cookies chosen for the URL are whole name and value pairs and never
// include an HttpOnly one unless asked for.
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/posix/http_exchange.h"

using platform::posix::CookiesForUrl;

namespace {

constexpr int64_t kNow = 1700000000;  // a fixed "now", so runs repeat

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  lines.push_back(text.substr(start));
  return lines;
}

// The engine's list once the headers are set for url.
std::vector<std::string> EngineList(const std::vector<std::string>& headers, const std::string& url) {
  static CURL* easy = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return curl_easy_init();
  }();
  curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");  // forgets the last run's
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  for (const std::string& header : headers) curl_easy_setopt(easy, CURLOPT_COOKIELIST, header.c_str());
  std::vector<std::string> list;
  curl_slist* cookies = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &cookies) != CURLE_OK) return list;
  for (curl_slist* item = cookies; item; item = item->next) list.emplace_back(item->data);
  curl_slist_free_all(cookies);
  return list;
}

void CheckChosen(const std::vector<std::string>& lines, const std::string& url) {
  const std::string all = CookiesForUrl(lines, url, true, kNow);
  const std::string visible = CookiesForUrl(lines, url, false, kNow);
  FUZZ_CHECK(visible.size() <= all.size());
  // Only a line of seven fields gives a cookie; only one not marked
  // HttpOnly gives one the page may see.
  bool any = false, anyVisible = false;
  for (const std::string& line : lines) {
    size_t tabs = 0;
    for (char c : line) tabs += c == '\t';
    if (tabs != 6) continue;
    any = true;
    anyVisible = anyVisible || line.rfind("#HttpOnly_", 0) != 0;
  }
  if (!any) FUZZ_CHECK(all.empty());
  if (!anyVisible) FUZZ_CHECK(visible.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines = Lines(BytesOf(data, size));
  const std::string url = lines.front();
  lines.erase(lines.begin());
  if (url.find('\0') != std::string::npos) return 0;  // no URL holds one

  CheckChosen(lines, url);
  // The engine takes both headers and list lines, as C strings.
  std::vector<std::string> given;
  for (const std::string& line : lines) {
    if (line.find('\0') == std::string::npos) given.push_back(line);
  }
  if (!given.empty()) CheckChosen(EngineList(given, url), url);
  return 0;
}
