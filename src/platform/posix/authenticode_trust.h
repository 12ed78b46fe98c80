// The signer's certificate chain as the Authenticode policy judges it:
// built to a trusted root (the machine root's certificates/*.pem, then the
// system CA store), every certificate within its validity period, code
// signing allowed by every certificate that restricts usage, and revocation
// checked against the CRLs the machine root holds or the signature carries.
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

#include "platform/Win32Codes.h"
#include "platform/posix/authenticode_openssl.h"

namespace platform::posix::authenticode {

enum class RevocationScope { None, EndCertificate, Chain, ChainExcludingRoot };

// What WINTRUST_DATA's fdwRevocationChecks and dwProvFlags ask for.
RevocationScope RevocationScopeOf(uint32_t revocationChecks, uint32_t providerFlags);

// The trusted roots: the machine root's certificates/*.pem (their CRLs go
// to crls when given) and the system CA store's hashed folder; with
// withSystemBundle the system's CA bundle file too.
X509StorePtr NewTrustStore(bool withSystemBundle, std::vector<X509CrlPtr>* crls = nullptr);

// Where the issuer was not found or the root is not trusted, the system's
// CA bundle file may still know it.
bool MayBeInSystemBundle(int verifyError);

// The chain judged at signedAt when a trusted timestamp gives that moment,
// else now.
HResult VerifySignerChain(X509* signer, STACK_OF(X509) * included, STACK_OF(X509_CRL) * includedCrls,
                          RevocationScope revocation, const std::time_t* signedAt);

}  // namespace platform::posix::authenticode
