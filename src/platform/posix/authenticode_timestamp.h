// RFC 3161 timestamps of Authenticode signatures. A signature with a valid
// timestamp is judged at the moment the timestamp vouches for, so a
// certificate that has expired since still counts, as on Windows; a signer
// certificate marked for lifetime signing never gets that grace.
#pragma once

#include <ctime>

#include "platform/posix/authenticode_openssl.h"

namespace platform::posix::authenticode {

// True with the moment when the signer carries a timestamp token that
// verifies: its imprint covers the signer's signature value and its
// time-stamping certificate chains to a trusted root at that moment. A
// missing or broken timestamp is no timestamp.
bool ReadVerifiedTimestamp(PKCS7_SIGNER_INFO* signer, std::time_t& signedAt);

// The signer certificate lists the lifetime-signing usage.
bool RequiresValidityNow(X509* signer);

}  // namespace platform::posix::authenticode
