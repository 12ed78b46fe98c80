// Letter case and ordering of narrow texts in the system code page.
//
// win32: the ANSI code page of the process. Case comes from CharUpperA and
// CharLowerA, the order of names from the C runtime's multibyte comparison
// (_mbsicmp: lower-cased characters compared by value).
// posix: the machine has no code page of its own, so only the ASCII letters
// have case and texts order by byte value after lower-casing; for ASCII text
// this is exactly the order _mbsicmp gives on Windows.
#pragma once

#include <string>

namespace platform {

// Each byte's upper- and lower-case form, as CharUpperA and CharLowerA give
// it for a one-character text. Built once per process.
struct CaseTables {
  unsigned char upper[256];
  unsigned char lower[256];
};
const CaseTables& SystemCaseTables();

// Negative, zero or positive as a orders before, with or after b without
// regard to case (the locale-aware multibyte comparison). Texts end at their
// first zero byte, as C strings do.
int CompareMultibyteNoCase(const std::string& a, const std::string& b);

}  // namespace platform
