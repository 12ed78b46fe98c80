#include "platform/posix/authenticode_timestamp.h"

#include <openssl/objects.h>
#include <openssl/ts.h>
#include <openssl/x509v3.h>

#include <cstring>
#include <memory>

#include "platform/posix/authenticode_trust.h"

namespace platform::posix::authenticode {
namespace {

// szOID_RFC3161_counterSign and szOID_KP_LIFETIME_SIGNING.
constexpr char kRfc3161CounterSignature[] = "1.3.6.1.4.1.311.3.3.1";
constexpr char kLifetimeSigning[] = "1.3.6.1.4.1.311.10.3.13";

using TstInfoPtr = std::unique_ptr<TS_TST_INFO, OpenSslRelease<TS_TST_INFO, TS_TST_INFO_free>>;
using TsVerifyCtxPtr = std::unique_ptr<TS_VERIFY_CTX, OpenSslRelease<TS_VERIFY_CTX, TS_VERIFY_CTX_free>>;

struct ExtendedKeyUsageRelease {
  void operator()(EXTENDED_KEY_USAGE* usage) const { EXTENDED_KEY_USAGE_free(usage); }
};
using ExtendedKeyUsagePtr = std::unique_ptr<EXTENDED_KEY_USAGE, ExtendedKeyUsageRelease>;

Pkcs7Ptr TimestampToken(PKCS7_SIGNER_INFO* signer) {
  STACK_OF(X509_ATTRIBUTE)* attributes = signer->unauth_attr;
  for (int i = 0; attributes && i < sk_X509_ATTRIBUTE_num(attributes); ++i) {
    X509_ATTRIBUTE* attribute = sk_X509_ATTRIBUTE_value(attributes, i);
    if (!IsObject(X509_ATTRIBUTE_get0_object(attribute), kRfc3161CounterSignature)) continue;
    const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    if (!value || value->type != V_ASN1_SEQUENCE || !value->value.sequence) return nullptr;
    const unsigned char* cursor = ASN1_STRING_get0_data(value->value.sequence);
    Pkcs7Ptr token(d2i_PKCS7(nullptr, &cursor, ASN1_STRING_length(value->value.sequence)));
    if (!token || !PKCS7_type_is_signed(token.get())) return nullptr;
    return token;
  }
  return nullptr;
}

bool ToTime(const ASN1_GENERALIZEDTIME* time, std::time_t& result) {
  struct tm parts = {};
  if (!time || ASN1_TIME_to_tm(time, &parts) != 1) return false;
  result = timegm(&parts);
  return result != static_cast<std::time_t>(-1);
}

bool VerifyToken(PKCS7* token, PKCS7_SIGNER_INFO* signer, std::time_t signedAt, bool withSystemBundle) {
  X509StorePtr store = NewTrustStore(withSystemBundle);
  if (!store) return false;
  X509_VERIFY_PARAM_set_time(X509_STORE_get0_param(store.get()), signedAt);

  TsVerifyCtxPtr context(TS_VERIFY_CTX_new());
  // The imprint covers the signature value of the signer.
  BIO* signature = BIO_new_mem_buf(ASN1_STRING_get0_data(signer->enc_digest),
                                   ASN1_STRING_length(signer->enc_digest));
  if (!context || !signature) {
    BIO_free(signature);
    return false;
  }
  TS_VERIFY_CTX_set_flags(context.get(), TS_VFY_VERSION | TS_VFY_SIGNATURE | TS_VFY_DATA);
  TS_VERIFY_CTX_set_data(context.get(), signature);     // the context owns it now
  TS_VERIFY_CTX_set_store(context.get(), store.release());  // and the store
  return TS_RESP_verify_token(context.get(), token) == 1;
}

}  // namespace

bool ReadVerifiedTimestamp(PKCS7_SIGNER_INFO* signer, std::time_t& signedAt) {
  if (!signer || !signer->enc_digest) return false;
  Pkcs7Ptr token = TimestampToken(signer);
  if (!token) return false;
  TstInfoPtr info(PKCS7_to_TS_TST_INFO(token.get()));
  std::time_t claimed = 0;
  if (!info || !ToTime(TS_TST_INFO_get_time(info.get()), claimed)) return false;
  // The claimed moment is only used once the token's signature holds at it.
  if (!VerifyToken(token.get(), signer, claimed, false) && !VerifyToken(token.get(), signer, claimed, true))
    return false;
  signedAt = claimed;
  return true;
}

bool RequiresValidityNow(X509* signer) {
  ExtendedKeyUsagePtr usages(
      static_cast<EXTENDED_KEY_USAGE*>(X509_get_ext_d2i(signer, NID_ext_key_usage, nullptr, nullptr)));
  for (int i = 0; usages && i < sk_ASN1_OBJECT_num(usages.get()); ++i) {
    if (IsObject(sk_ASN1_OBJECT_value(usages.get(), i), kLifetimeSigning)) return true;
  }
  return false;
}

}  // namespace platform::posix::authenticode
