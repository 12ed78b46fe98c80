// How the posix web transfers judge a server's certificate and present a
// client certificate, the way WinInet does: trust comes from the machine
// root's certificates/ and the system store; each relaxed check is one
// SECURITY_FLAG_IGNORE_* flag; a problem that is not relaxed is remembered
// so it can be reported as WinInet's error for it. A server that asks for a
// client certificate when none is attached stops the handshake
// (ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED).
#pragma once

#include <openssl/ssl.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/CertificateStore.h"
#include "platform/Win32Codes.h"
#include "platform/posix/authenticode_openssl.h"

namespace platform::posix {

using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, authenticode::OpenSslRelease<EVP_PKEY, EVP_PKEY_free>>;

// A personal certificate with its private key and the certificates that
// came with it.
struct ClientIdentity {
  authenticode::X509Ptr certificate;
  EvpPkeyPtr key;
  std::vector<authenticode::X509Ptr> chain;
};

// The certificate and key a personal-store context stands for.
std::shared_ptr<const ClientIdentity> IdentityOf(const CertificateContext& certificate);

enum class TlsProblem { None, DateInvalid, NameInvalid, UnknownAuthority, Revoked, WrongUsage, Other };

// What one handshake is allowed and what it met.
struct TlsPolicy {
  uint32_t securityFlags = 0;  // SECURITY_FLAG_IGNORE_*
  std::shared_ptr<const ClientIdentity> identity;
  TlsProblem problem = TlsProblem::None;
  bool clientCertificateRequested = false;

  // Prepares an SSL_CTX of libcurl before its handshake; false when it
  // cannot be set up.
  bool Apply(SSL_CTX* context);
};

// WinInet's error for a problem (0 for none).
Win32Error WinInetErrorOf(TlsProblem problem);

// The SECURITY_FLAG_IGNORE_* flag that relaxes a problem (0 when none does).
uint32_t RelaxingFlagOf(TlsProblem problem);

// The problem WinInet's error names (Other for errors of no certificate).
TlsProblem TlsProblemOf(Win32Error error);

}  // namespace platform::posix
