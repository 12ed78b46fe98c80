// The loader's narrow text is in the system code page (UTF-8 on posix);
// what the host prints and writes as JSON is UTF-8.
#pragma once

#include <string>

// Narrow text of the system code page as UTF-8. Bytes that are not text
// in that code page become U+FFFD, so the result is always well-formed.
std::string NarrowToUtf8(const std::string& narrow);
