// Comparing narrow texts without regard to letter case. Two foldings exist,
// each for its own kind of text; use these and no other:
//
// - Code-page folding, for the loader's own text: INI section names, keys
//   and values, descriptor values, switches, program ids, flavours, setup
//   file names. Letters fold to lower case in the system code page:
//   CodePageEqualsNoCase, CodePageLessNoCase, CodePageLower, and the tables
//   themselves (SystemCaseTables) where a hash must agree with them.
//   The order in which descriptor sections are walked is the C runtime's
//   multibyte order instead: CompareMultibyteNoCase.
// - Ordinal folding, for names the system itself compares the same way
//   whatever the code page: registry key and value names, file names on the
//   posix machine, keywords of file formats. Only the ASCII letters fold, to
//   upper case, so names order as the registry orders them:
//   OrdinalEqualsNoCase, OrdinalLessNoCase.
//
// win32: the code page is the ANSI code page of the process; case comes
// from CharUpperA and CharLowerA, the walk order from _mbsicmp (lower-cased
// characters compared by value).
// posix: the machine has no code page of its own, so only the ASCII letters
// have case and texts order by byte value after lower-casing; for ASCII text
// this is exactly the order _mbsicmp gives on Windows.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Each byte's upper- and lower-case form, as CharUpperA and CharLowerA give
// it for a one-character text. Built once per process.
struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
};
const CaseTables& SystemCaseTables();

// True when the texts differ at most in the case of their letters.
bool CodePageEqualsNoCase(std::string_view a, std::string_view b);
// Orders texts by their lower-cased bytes, a shorter text before a longer
// one it begins.
struct CodePageLessNoCase {
  bool operator()(std::string_view a, std::string_view b) const;
};
std::string CodePageLower(std::string text);

// Negative, zero or positive as a orders before, with or after b without
// regard to case (the locale-aware multibyte comparison). Texts end at their
// first zero byte, as C strings do.
int CompareMultibyteNoCase(const std::string& a, const std::string& b);

bool OrdinalEqualsNoCase(std::string_view a, std::string_view b);
// Orders names by their upper-case form, as the registry orders them.
struct OrdinalLessNoCase {
  bool operator()(std::string_view a, std::string_view b) const;
};

}  // namespace platform
