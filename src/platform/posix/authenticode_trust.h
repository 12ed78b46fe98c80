// The signer's certificate chain as the Authenticode policy judges it:
// built to a trusted root (the machine root's certificates/*.pem, then the
// system CA store), every certificate within its validity period, code
// signing allowed by every certificate that restricts usage, and revocation
// checked against the CRLs the machine root holds or the signature carries.
#pragma once

#include <cstdint>

#include "platform/Win32Codes.h"
#include "platform/posix/authenticode_openssl.h"

namespace platform::posix::authenticode {

enum class RevocationScope { None, EndCertificate, Chain, ChainExcludingRoot };

// What WINTRUST_DATA's fdwRevocationChecks and dwProvFlags ask for.
RevocationScope RevocationScopeOf(uint32_t revocationChecks, uint32_t providerFlags);

HResult VerifySignerChain(X509* signer, STACK_OF(X509) * included, STACK_OF(X509_CRL) * includedCrls,
                          RevocationScope revocation);

}  // namespace platform::posix::authenticode
