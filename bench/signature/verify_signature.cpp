// Checks the embedded signature of one file the way the loader does and
// reports the verdict: exit status 0 when the file is validly signed.
#include <cstdio>
#include <string>

#include "integrity/CSignedCode.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: verify-signature <file>\n");
    return 2;
  }
  CSignedCode checker(false);
  const int valid = checker.CheckObjectSignature(argv[1], false);
  std::printf("%s: %s (0x%08X)\n", argv[1], valid ? "valid" : "refused",
              static_cast<unsigned>(checker.LastResult()));
  return valid ? 0 : 1;
}
