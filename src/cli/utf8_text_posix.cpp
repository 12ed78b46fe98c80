// posix: narrow text is UTF-8 already; the round trip through UTF-16
// replaces what is not well-formed.
#include "cli/Utf8Text.h"
#include "platform/posix/wide_text.h"

std::string NarrowToUtf8(const std::string& narrow) {
  return platform::posix::ToUtf8(platform::ToWideString(narrow));
}
