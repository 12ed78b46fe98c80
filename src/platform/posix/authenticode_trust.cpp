#include "platform/posix/authenticode_trust.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/EmbeddedSignature.h"
#include "platform/posix/machine_root.h"

namespace platform::posix::authenticode {
namespace {

struct X509InfoStackRelease {
  void operator()(STACK_OF(X509_INFO) * stack) const { sk_X509_INFO_pop_free(stack, X509_INFO_free); }
};
using X509InfoStackPtr = std::unique_ptr<STACK_OF(X509_INFO), X509InfoStackRelease>;
using BioPtr = std::unique_ptr<BIO, OpenSslRelease<BIO, BIO_free_all>>;

// Every certificate and CRL in one PEM file.
void LoadPemFile(const std::string& path, X509_STORE* store, std::vector<X509CrlPtr>* crls) {
  BioPtr file(BIO_new_file(path.c_str(), "r"));
  if (!file) return;
  X509InfoStackPtr items(PEM_X509_INFO_read_bio(file.get(), nullptr, nullptr, nullptr));
  if (!items) return;
  for (int i = 0; i < sk_X509_INFO_num(items.get()); ++i) {
    X509_INFO* item = sk_X509_INFO_value(items.get(), i);
    if (item->x509) X509_STORE_add_cert(store, item->x509);
    if (crls && item->crl && X509_CRL_up_ref(item->crl)) crls->emplace_back(item->crl);
  }
}

std::string FromEnvironmentOr(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  return value && *value ? value : fallback;
}

int BuildChain(X509_STORE* store, X509* signer, STACK_OF(X509) * included, const std::time_t* signedAt,
               X509StackPtr& chain) {
  X509StoreCtxPtr context(X509_STORE_CTX_new());
  if (!context || X509_STORE_CTX_init(context.get(), store, signer, included) != 1)
    return X509_V_ERR_OUT_OF_MEM;
  if (signedAt) X509_VERIFY_PARAM_set_time(X509_STORE_CTX_get0_param(context.get()), *signedAt);
  if (X509_verify_cert(context.get()) == 1) {
    chain.reset(X509_STORE_CTX_get1_chain(context.get()));
    return chain ? X509_V_OK : X509_V_ERR_OUT_OF_MEM;
  }
  const int error = X509_STORE_CTX_get_error(context.get());
  return error == X509_V_OK ? X509_V_ERR_UNSPECIFIED : error;
}

HResult FromVerifyError(int error) {
  switch (error) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return kCertEExpired;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      return kCertEChaining;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
      return kCertEUntrustedRoot;
    case X509_V_ERR_CERT_SIGNATURE_FAILURE:
    case X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE:
    case X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY:
      return kTrustECertSignature;
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_PATH_LENGTH_EXCEEDED:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
      return kTrustEBasicConstraints;
    case X509_V_ERR_INVALID_PURPOSE:
      return kCertEWrongUsage;
    case X509_V_ERR_CERT_REVOKED:
      return kCertERevoked;
    default:
      return kTrustEFail;
  }
}

bool AllowsCodeSigning(X509* certificate) {
  if (!(X509_get_extension_flags(certificate) & EXFLAG_XKUSAGE)) return true;
  return (X509_get_extended_key_usage(certificate) & XKU_CODE_SIGN) != 0;
}

// A CRL counts when its issuer signed it and it is current; a stale one
// says nothing, as an unreachable revocation server says nothing.
bool IsUsableCrl(X509_CRL* crl, X509* certificate, X509* issuer) {
  if (X509_NAME_cmp(X509_CRL_get_issuer(crl), X509_get_issuer_name(certificate)) != 0) return false;
  EVP_PKEY* key = X509_get0_pubkey(issuer);
  if (!key || X509_CRL_verify(crl, key) != 1) return false;
  const ASN1_TIME* thisUpdate = X509_CRL_get0_lastUpdate(crl);
  const ASN1_TIME* nextUpdate = X509_CRL_get0_nextUpdate(crl);
  if (!thisUpdate || X509_cmp_current_time(thisUpdate) > 0) return false;
  return !nextUpdate || X509_cmp_current_time(nextUpdate) >= 0;
}

bool IsRevoked(X509* certificate, X509* issuer, const std::vector<X509_CRL*>& crls) {
  for (X509_CRL* crl : crls) {
    if (!IsUsableCrl(crl, certificate, issuer)) continue;
    X509_REVOKED* entry = nullptr;
    // 2 means "removed from CRL", which is not a revocation.
    if (X509_CRL_get0_by_cert(crl, &entry, certificate) == 1) return true;
  }
  return false;
}

HResult CheckRevocation(STACK_OF(X509) * chain, RevocationScope scope,
                        const std::vector<X509_CRL*>& crls) {
  const int count = sk_X509_num(chain);
  int last = -1;
  switch (scope) {
    case RevocationScope::None: return kSOk;
    case RevocationScope::EndCertificate: last = 0; break;
    case RevocationScope::Chain: last = count - 1; break;
    case RevocationScope::ChainExcludingRoot: last = count - 2; break;
  }
  for (int i = 0; i <= last && i < count; ++i) {
    X509* certificate = sk_X509_value(chain, i);
    X509* issuer = i + 1 < count ? sk_X509_value(chain, i + 1) : certificate;
    if (IsRevoked(certificate, issuer, crls)) return kCertERevoked;
  }
  return kSOk;
}

}  // namespace

RevocationScope RevocationScopeOf(uint32_t revocationChecks, uint32_t providerFlags) {
  if (providerFlags & kWtdRevocationCheckNone) return RevocationScope::None;
  if (providerFlags & kWtdRevocationCheckEndCert) return RevocationScope::EndCertificate;
  if (providerFlags & kWtdRevocationCheckChain) return RevocationScope::Chain;
  if (providerFlags & kWtdRevocationCheckChainExcludeRoot) return RevocationScope::ChainExcludingRoot;
  return revocationChecks == kWtdRevokeWholeChain ? RevocationScope::Chain : RevocationScope::None;
}

X509StorePtr NewTrustStore(bool withSystemBundle, std::vector<X509CrlPtr>* crls) {
  X509StorePtr store(X509_STORE_new());
  if (!store) return store;
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::path(MachineRoot()) / "certificates";
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->path().extension() == ".pem") LoadPemFile(entry->path().string(), store.get(), crls);
  }
  // The system store's hashed folder is read only for the issuers a chain
  // asks for; the bundle file is parsed whole, so only on request.
  X509_LOOKUP* lookup = X509_STORE_add_lookup(store.get(), X509_LOOKUP_hash_dir());
  if (lookup) {
    const std::string systemFolder =
        FromEnvironmentOr(X509_get_default_cert_dir_env(), X509_get_default_cert_dir());
    X509_LOOKUP_add_dir(lookup, systemFolder.c_str(), X509_FILETYPE_PEM);
  }
  if (withSystemBundle) {
    const std::string bundle =
        FromEnvironmentOr(X509_get_default_cert_file_env(), X509_get_default_cert_file());
    X509_STORE_load_file(store.get(), bundle.c_str());
  }
  return store;
}

bool MayBeInSystemBundle(int verifyError) {
  return verifyError == X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT ||
         verifyError == X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY ||
         verifyError == X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE ||
         verifyError == X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT ||
         verifyError == X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN;
}

HResult VerifySignerChain(X509* signer, STACK_OF(X509) * included, STACK_OF(X509_CRL) * includedCrls,
                          RevocationScope revocation, const std::time_t* signedAt) {
  std::vector<X509CrlPtr> machineCrls;
  X509StorePtr store = NewTrustStore(false, &machineCrls);
  if (!store) return kTrustEFail;

  X509StackPtr chain;
  int error = BuildChain(store.get(), signer, included, signedAt, chain);
  if (MayBeInSystemBundle(error)) {
    store = NewTrustStore(true);
    if (!store) return kTrustEFail;
    error = BuildChain(store.get(), signer, included, signedAt, chain);
  }
  if (error != X509_V_OK) return FromVerifyError(error);

  for (int i = 0; i < sk_X509_num(chain.get()); ++i) {
    if (!AllowsCodeSigning(sk_X509_value(chain.get(), i))) return kCertEWrongUsage;
  }

  std::vector<X509_CRL*> crls;
  for (const X509CrlPtr& crl : machineCrls) crls.push_back(crl.get());
  for (int i = 0; includedCrls && i < sk_X509_CRL_num(includedCrls); ++i)
    crls.push_back(sk_X509_CRL_value(includedCrls, i));
  return CheckRevocation(chain.get(), revocation, crls);
}

}  // namespace platform::posix::authenticode
