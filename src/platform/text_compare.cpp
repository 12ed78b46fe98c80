// The two foldings over each port's case tables, the same on every target.
#include <algorithm>

#include "platform/TextCompare.h"

namespace platform {
namespace {

unsigned char OrdinalUpper(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

}  // namespace

bool CodePageEqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const unsigned char* lower = SystemCaseTables().lower;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
      return false;
  }
  return true;
}

bool CodePageLessNoCase::operator()(std::string_view a, std::string_view b) const {
  const unsigned char* lower = SystemCaseTables().lower;
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char l = lower[static_cast<unsigned char>(a[i])];
    const unsigned char r = lower[static_cast<unsigned char>(b[i])];
    if (l != r) return l < r;
  }
  return a.size() < b.size();
}

std::string CodePageLower(std::string text) {
  const unsigned char* lower = SystemCaseTables().lower;
  for (char& c : text) c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
  return text;
}

bool OrdinalEqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (OrdinalUpper(a[i]) != OrdinalUpper(b[i])) return false;
  }
  return true;
}

bool OrdinalLessNoCase::operator()(std::string_view a, std::string_view b) const {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char l = OrdinalUpper(a[i]);
    const unsigned char r = OrdinalUpper(b[i]);
    if (l != r) return l < r;
  }
  return a.size() < b.size();
}

}  // namespace platform
