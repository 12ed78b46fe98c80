// Small text helpers shared by every subsystem.
#pragma once

#include <string>

#if defined(__MINGW32__)
#define VARNIK_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(gnu_printf, format_index, first_arg)))
#else
#define VARNIK_PRINTF_FORMAT(format_index, first_arg) \
  __attribute__((format(printf, format_index, first_arg)))
#endif

// printf-style formatting into a string of whatever length it needs.
std::string Format(const char* format, ...) VARNIK_PRINTF_FORMAT(1, 2);

// "true" or "false".
std::string BoolToString(bool value);

// base + "\" + name, or base + "/" + name; the separator is not doubled when
// base already ends with it. Empty when either text is empty.
std::string JoinPath(const std::string& base, const std::string& name);
std::string JoinUrl(const std::string& base, const std::string& name);

// Looks key (which includes its "=") up in the additional-parameters text:
// value is what follows the first occurrence up to the next "&" or the end.
// The search is case-sensitive.
bool GetParamValue(const std::string& text, const std::string& key, std::string& value);

// Replaces every occurrence of search, left to right, non-overlapping; a
// replacement is never searched again. An empty search text is found nowhere.
std::string ReplaceAll(std::string text, const std::string& search, const std::string& replacement);
// The same over UTF-16 text.
std::u16string ReplaceAll(std::u16string text, const std::u16string& search,
                          const std::u16string& replacement);

// Texts compared without regard to case: platform/TextCompare.h.

// True when text matches pattern, where "*" stands for any run of characters
// and "?" for any one; letters compare with ordinal folding
// (platform/TextCompare.h), as file and host names do.
bool MatchesWildcard(const std::string& text, const std::string& pattern);
