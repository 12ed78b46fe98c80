// The path the wide file calls of the win32 port are given. The narrow (A)
// calls, and Wine's as well, fail at MAX_PATH characters; the wide calls
// take longer paths with the "\\?\" prefix. So a path of MAX_PATH or more
// characters is made full and canonical (GetFullPathNameW does what the
// prefix skips: "/", "." and "..") and gets the prefix; a shorter path is
// only widened, and behaves exactly as with the narrow call.
#pragma once

#include <string>

namespace platform::win32 {

// Narrow text is in the ANSI code page, as for the A calls.
std::wstring SystemPath(const std::string& path);

}  // namespace platform::win32
