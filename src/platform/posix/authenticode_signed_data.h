// The PKCS #7 SignedData of an Authenticode signature: its signer, the
// SpcIndirectDataContent with the file digest it vouches for, and the check
// of the signer's signature over it. Failures are WinVerifyTrust numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Win32Codes.h"
#include "platform/posix/authenticode_layout.h"
#include "platform/posix/authenticode_openssl.h"

namespace platform::posix::authenticode {

// A SignedData decoded from bytes; null when they hold anything else.
Pkcs7Ptr DecodeSignedData(const uint8_t* data, size_t size);

// The first signer, or null.
PKCS7_SIGNER_INFO* FirstSigner(PKCS7* signedData);

// The signer's certificate among the message's certificates, found by the
// issuer and serial number the signer information names; null if absent.
X509* FindSignerCertificate(PKCS7* signedData, PKCS7_SIGNER_INFO* signer);

struct IndirectData {
  const EVP_MD* digestAlgorithm = nullptr;
  std::vector<uint8_t> digest;
  // The content octets the signer's message-digest attribute covers.
  const uint8_t* content = nullptr;
  size_t contentLength = 0;
};

// Reads the SpcIndirectDataContent and checks that it describes this kind
// of file.
HResult ReadIndirectData(PKCS7* signedData, SubjectKind kind, IndirectData& indirect);

// The signer's signature over its authenticated attributes (or over the
// content when it has none), and the content digest those attributes carry.
HResult VerifySignerSignature(PKCS7_SIGNER_INFO* signer, X509* certificate,
                              const IndirectData& indirect);

// The digest of the file's digested ranges against the signed one, read a
// piece at a time. A range that can no longer be read (the file was
// shortened) gives the Win32 error of the read as an HRESULT.
HResult VerifyFileDigest(const ByteSource& file, const SignatureLayout& layout,
                         const IndirectData& indirect);

// SHA-1 and the SHA-2 family; anything weaker is refused.
const EVP_MD* AcceptedDigest(const ASN1_OBJECT* algorithm);

}  // namespace platform::posix::authenticode
