// The server's cache version (learnt by the handshake) and the decoration
// that puts it on the server's URLs, so caches between the loader and the
// server never hand out a file of an older deployment.
#pragma once

#include <string>

struct CacheVersionState {
  bool known = false;
  std::string version;  // "CV..." as the server gave it
};

// url + "?CV=" + version, when a cache version is known, url lies under
// serverRootUrl (contains it) and has no query yet; otherwise url unchanged.
std::string AppendCacheVersion(const std::string& url, const std::string& serverRootUrl,
                               const CacheVersionState& state);
