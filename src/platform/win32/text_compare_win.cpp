#include <windows.h>

#include <mbstring.h>

#include "platform/TextCompare.h"

namespace platform {
namespace {

// CharUpperBuffA / CharLowerBuffA on each single byte: the same answer
// CharUpperA gives for a one-character text, without its pointer-or-character
// argument trick.
CaseTables BuildCodePageTables() {
  CaseTables tables;
  for (int c = 0; c < 256; ++c) {
    char upper = static_cast<char>(c);
    char lower = static_cast<char>(c);
    if (c != 0) {
      CharUpperBuffA(&upper, 1);
      CharLowerBuffA(&lower, 1);
    }
    tables.upper[c] = static_cast<unsigned char>(upper);
    tables.lower[c] = static_cast<unsigned char>(lower);
  }
  return tables;
}

}  // namespace

const CaseTables& SystemCaseTables() {
  static const CaseTables tables = BuildCodePageTables();
  return tables;
}

int CompareMultibyteNoCase(const std::string& a, const std::string& b) {
  return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                  reinterpret_cast<const unsigned char*>(b.c_str()));
}

}  // namespace platform
