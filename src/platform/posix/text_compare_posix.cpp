#include <cstring>

#include "platform/TextCompare.h"

namespace platform {
namespace {

// No code page here: the ASCII letters are the only ones with case.
CaseTables BuildAsciiTables() {
  CaseTables tables;
  for (int c = 0; c < 256; ++c) {
    tables.upper[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    tables.lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return tables;
}

}  // namespace

const CaseTables& SystemCaseTables() {
  static const CaseTables tables = BuildAsciiTables();
  return tables;
}

int CompareMultibyteNoCase(const std::string& a, const std::string& b) {
  const unsigned char* lower = SystemCaseTables().lower;
  const unsigned char* left = reinterpret_cast<const unsigned char*>(a.c_str());
  const unsigned char* right = reinterpret_cast<const unsigned char*>(b.c_str());
  for (;; ++left, ++right) {
    const int l = lower[*left];
    const int r = lower[*right];
    if (l != r) return l < r ? -1 : 1;
    if (l == 0) return 0;
  }
}

}  // namespace platform
