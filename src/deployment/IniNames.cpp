#include "deployment/IniNames.h"

#include <algorithm>

#include "platform/TextCompare.h"

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
  const unsigned char* lower = platform::SystemCaseTables().lower;
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char l = lower[static_cast<unsigned char>(a[i])];
    const unsigned char r = lower[static_cast<unsigned char>(b[i])];
    if (l != r) return l < r;
  }
  return a.size() < b.size();
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  const unsigned char* lower = platform::SystemCaseTables().lower;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
      return false;
  }
  return true;
}
