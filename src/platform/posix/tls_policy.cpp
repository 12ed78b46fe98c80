#include "platform/posix/tls_policy.h"

#include "platform/Internet.h"
#include "platform/posix/authenticode_trust.h"

namespace platform::posix {
namespace {

// The policy travels with the SSL_CTX it was applied to.
int PolicyIndex() {
  static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

TlsPolicy* PolicyOf(X509_STORE_CTX* store) {
  SSL* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
  return ssl ? static_cast<TlsPolicy*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), PolicyIndex())) : nullptr;
}

TlsProblem ProblemOfVerifyError(int error) {
  switch (error) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
      return TlsProblem::DateInvalid;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
      return TlsProblem::UnknownAuthority;
    case X509_V_ERR_INVALID_PURPOSE:
      return TlsProblem::WrongUsage;
    case X509_V_ERR_CERT_REVOKED:
    case X509_V_ERR_UNABLE_TO_GET_CRL:
      return TlsProblem::Revoked;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return TlsProblem::NameInvalid;
    default:
      return TlsProblem::Other;
  }
}

// A relaxed problem is cleared so the chain is judged by the rest.
int VerifyCertificate(int preverified, X509_STORE_CTX* store) {
  if (preverified) return 1;
  TlsPolicy* policy = PolicyOf(store);
  if (!policy) return 0;
  const TlsProblem problem = ProblemOfVerifyError(X509_STORE_CTX_get_error(store));
  const uint32_t relaxing = RelaxingFlagOf(problem);
  if (relaxing && (policy->securityFlags & relaxing)) {
    X509_STORE_CTX_set_error(store, X509_V_OK);
    return 1;
  }
  if (policy->problem == TlsProblem::None) policy->problem = problem;
  return 0;
}

// Called only when the server asks for a certificate and none is attached:
// the handshake stops, as WinInet stops the request.
int ClientCertificateWanted(SSL* ssl, X509**, EVP_PKEY**) {
  auto* policy = static_cast<TlsPolicy*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), PolicyIndex()));
  if (policy) policy->clientCertificateRequested = true;
  return -1;
}

}  // namespace

bool TlsPolicy::Apply(SSL_CTX* context) {
  authenticode::X509StorePtr store = authenticode::NewTrustStore(false);
  if (!store || SSL_CTX_set_ex_data(context, PolicyIndex(), this) != 1) return false;
  SSL_CTX_set_cert_store(context, store.release());
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, VerifyCertificate);
  if (!identity) {
    SSL_CTX_set_client_cert_cb(context, ClientCertificateWanted);
    return true;
  }
  if (SSL_CTX_use_certificate(context, identity->certificate.get()) != 1 ||
      SSL_CTX_use_PrivateKey(context, identity->key.get()) != 1)
    return false;
  for (const authenticode::X509Ptr& certificate : identity->chain) {
    X509_up_ref(certificate.get());
    if (SSL_CTX_add_extra_chain_cert(context, certificate.get()) != 1) {
      X509_free(certificate.get());
      return false;
    }
  }
  return true;
}

Win32Error WinInetErrorOf(TlsProblem problem) {
  switch (problem) {
    case TlsProblem::None: return kErrorSuccess;
    case TlsProblem::DateInvalid: return kErrorInternetSecCertDateInvalid;
    case TlsProblem::NameInvalid: return kErrorInternetSecCertCnInvalid;
    case TlsProblem::UnknownAuthority: return kErrorInternetInvalidCa;
    case TlsProblem::Revoked: return kErrorInternetSecCertRevFailed;
    case TlsProblem::WrongUsage: return kErrorInternetSecInvalidCert;
    case TlsProblem::Other: return kErrorInternetSecurityChannelError;
  }
  return kErrorInternetSecurityChannelError;
}

uint32_t RelaxingFlagOf(TlsProblem problem) {
  switch (problem) {
    case TlsProblem::DateInvalid: return kSecurityFlagIgnoreCertDateInvalid;
    case TlsProblem::NameInvalid: return kSecurityFlagIgnoreCertCnInvalid;
    case TlsProblem::UnknownAuthority: return kSecurityFlagIgnoreUnknownCa;
    case TlsProblem::Revoked: return kSecurityFlagIgnoreRevocation;
    case TlsProblem::WrongUsage: return kSecurityFlagIgnoreWrongUsage;
    default: return 0;
  }
}

TlsProblem TlsProblemOf(Win32Error error) {
  switch (error) {
    case kErrorInternetSecCertDateInvalid: return TlsProblem::DateInvalid;
    case kErrorInternetSecCertCnInvalid: return TlsProblem::NameInvalid;
    case kErrorInternetInvalidCa: return TlsProblem::UnknownAuthority;
    case kErrorInternetSecCertRevFailed: return TlsProblem::Revoked;
    case kErrorInternetSecInvalidCert: return TlsProblem::WrongUsage;
    default: return TlsProblem::Other;
  }
}

}  // namespace platform::posix
