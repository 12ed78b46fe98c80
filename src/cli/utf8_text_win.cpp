// Windows: the ANSI code page to UTF-16 to UTF-8; an unpaired surrogate
// becomes U+FFFD on the way out.
#include <windows.h>

#include <limits>

#include "cli/Utf8Text.h"
#include "platform/EmbeddedSignature.h"

std::string NarrowToUtf8(const std::string& narrow) {
  const platform::WideString wide = platform::ToWideString(narrow);
  if (wide.empty() || wide.size() > static_cast<size_t>(std::numeric_limits<int>::max() / 4))
    return std::string();
  const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
  const int length = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(CP_UTF8, 0, units, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string utf8(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, units, length, utf8.data(), needed, nullptr, nullptr);
  return utf8;
}
