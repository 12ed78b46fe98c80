// Checks the Authenticode signature embedded in a downloaded file before the
// file is used. A file passes when its signer certificate can be read and
// the trust verifier accepts the signature. The signer's name only decides
// whether Windows may show its own trust prompt: never for the accepted
// publishers, and only when the caller allows it for anyone else.
#pragma once

#include <string>

#include "platform/EmbeddedSignature.h"
#include "platform/Win32Codes.h"

class CSignedCode {
 public:
  explicit CSignedCode(bool cancelCrlCheck);
  virtual ~CSignedCode();

  // Nonzero when the file (a Windows path) is validly signed. Never throws.
  int CheckObjectSignature(const std::string& path, bool allowTrustUi);

  // Why the last check failed: TRUST_E_NOSIGNATURE (0x800B0100) when no
  // signer certificate could be read, else what the trust verifier said.
  platform::HResult LastResult() const { return lastResult_; }

  // True when the signer certificate was found and its name read; accepted
  // tells whether that name is one of the accepted publishers.
  bool VerifyEmbeddedCertificate(const platform::WideString& path, bool& accepted);

  // True when the trust verifier returns 0; result receives its code.
  bool VerifyEmbeddedSignature(const platform::WideString& path, bool showTrustUi,
                               bool cancelCrlCheck, platform::HResult& result);

 private:
  bool cancelCrlCheck_;
  platform::HResult lastResult_ = platform::kTrustENoSignature;
};
