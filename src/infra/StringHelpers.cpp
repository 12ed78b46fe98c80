#include "infra/StringHelpers.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/TextCompare.h"

std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    text.assign(buffer.data(), static_cast<size_t>(length));
  }
  va_end(arguments);
  return text;
}

std::string BoolToString(bool value) { return value ? "true" : "false"; }

namespace {

std::string Join(const std::string& base, const std::string& name, char separator) {
  if (base.empty() || name.empty()) return {};
  if (base.back() == separator) return base + name;
  return base + separator + name;
}

}  // namespace

std::string JoinPath(const std::string& base, const std::string& name) {
  return Join(base, name, '\\');
}

std::string JoinUrl(const std::string& base, const std::string& name) {
  return Join(base, name, '/');
}

bool GetParamValue(const std::string& text, const std::string& key, std::string& value) {
  if (key.empty()) return false;
  const size_t position = text.find(key);
  if (position == std::string::npos) return false;
  const size_t start = position + key.size();
  const size_t end = text.find('&', start);
  value = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return true;
}

namespace {

template <class Text>
Text ReplaceEvery(Text text, const Text& search, const Text& replacement) {
  if (search.empty()) return text;
  size_t position = text.find(search);
  while (position != Text::npos) {
    text.replace(position, search.size(), replacement);
    position = text.find(search, position + replacement.size());
  }
  return text;
}

}  // namespace

std::string ReplaceAll(std::string text, const std::string& search,
                       const std::string& replacement) {
  return ReplaceEvery(std::move(text), search, replacement);
}

std::u16string ReplaceAll(std::u16string text, const std::u16string& search,
                          const std::u16string& replacement) {
  return ReplaceEvery(std::move(text), search, replacement);
}

bool MatchesWildcard(const std::string& text, const std::string& pattern) {
  // Iterative match with one backtrack point per "*".
  size_t t = 0, p = 0;
  size_t starPattern = std::string::npos, starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = ++p;
      starText = t;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' ||
                platform::OrdinalEqualsNoCase({&pattern[p], 1}, {&text[t], 1}))) {
      ++p;
      ++t;
    } else if (starPattern != std::string::npos) {
      p = starPattern;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}
