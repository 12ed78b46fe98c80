// Makes a test CA a trusted root while the object lives. posix: its PEM
// goes into the machine root's certificates folder (with the CA's CRL when
// one is given). win32: it is added to the machine's Root store and removed
// afterwards; CRLs are not published there.
#pragma once

#include <string>
#include <vector>

class TrustedRoot {
 public:
  // Paths as this binary opens them (FromBuildMachine).
  explicit TrustedRoot(const std::string& caPemPath, const std::string& crlPemPath = "");
  ~TrustedRoot();
  TrustedRoot(const TrustedRoot&) = delete;
  TrustedRoot& operator=(const TrustedRoot&) = delete;

 private:
  std::vector<unsigned char> encoded_;
};
