#include "transfer/CacheVersion.h"

std::string AppendCacheVersion(const std::string& url, const std::string& serverRootUrl,
                               const CacheVersionState& state) {
  if (!state.known) return url;
  if (url.find(serverRootUrl) == std::string::npos) return url;
  if (url.find('?') != std::string::npos) return url;
  return url + "?CV=" + state.version;
}
