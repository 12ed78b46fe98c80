#include "platform/posix/authenticode_signed_data.h"

#include <openssl/crypto.h>
#include <openssl/objects.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/EmbeddedSignature.h"
#include "platform/posix/authenticode_der.h"

namespace platform::posix::authenticode {
namespace {

constexpr char kSpcIndirectData[] = "1.3.6.1.4.1.311.2.1.4";
// Value bytes of the OIDs SPC_PE_IMAGE_DATAOBJ and SPC_CAB_DATA_OBJID.
constexpr uint8_t kPeImageData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x0F};
constexpr uint8_t kCabinetData[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x19};

bool HasValue(const DerElement& element, const uint8_t* expected, size_t length) {
  return element.valueLength == length && std::memcmp(element.value, expected, length) == 0;
}

bool Digest(const EVP_MD* algorithm, const uint8_t* data, size_t size, std::vector<uint8_t>& digest) {
  unsigned char buffer[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(data, size, buffer, &length, algorithm, nullptr) != 1) return false;
  digest.assign(buffer, buffer + length);
  return true;
}

bool VerifySignature(EVP_PKEY* key, const EVP_MD* algorithm, const uint8_t* data, size_t size,
                     const ASN1_OCTET_STRING* signature) {
  EvpMdCtxPtr context(EVP_MD_CTX_new());
  if (!context || !key || !signature) return false;
  if (EVP_DigestVerifyInit(context.get(), nullptr, algorithm, nullptr, key) != 1) return false;
  return EVP_DigestVerify(context.get(), ASN1_STRING_get0_data(signature),
                          static_cast<size_t>(ASN1_STRING_length(signature)), data, size) == 1;
}

}  // namespace

Pkcs7Ptr DecodeSignedData(const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) return nullptr;
  const unsigned char* cursor = data;
  Pkcs7Ptr message(d2i_PKCS7(nullptr, &cursor, static_cast<long>(size)));
  if (!message || !PKCS7_type_is_signed(message.get()) || !message->d.sign) return nullptr;
  return message;
}

PKCS7_SIGNER_INFO* FirstSigner(PKCS7* signedData) {
  STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(signedData);
  if (!signers || sk_PKCS7_SIGNER_INFO_num(signers) < 1) return nullptr;
  return sk_PKCS7_SIGNER_INFO_value(signers, 0);
}

X509* FindSignerCertificate(PKCS7* signedData, PKCS7_SIGNER_INFO* signer) {
  if (!signer || !signer->issuer_and_serial || !signedData->d.sign->cert) return nullptr;
  return X509_find_by_issuer_and_serial(signedData->d.sign->cert, signer->issuer_and_serial->issuer,
                                        signer->issuer_and_serial->serial);
}

const EVP_MD* AcceptedDigest(const ASN1_OBJECT* algorithm) {
  switch (OBJ_obj2nid(algorithm)) {
    case NID_sha1: return EVP_sha1();
    case NID_sha256: return EVP_sha256();
    case NID_sha384: return EVP_sha384();
    case NID_sha512: return EVP_sha512();
    default: return nullptr;
  }
}

HResult ReadIndirectData(PKCS7* signedData, SubjectKind kind, IndirectData& indirect) {
  PKCS7* contentInfo = signedData->d.sign->contents;
  if (!contentInfo || !IsObject(contentInfo->type, kSpcIndirectData)) return kTrustENoSignature;
  const ASN1_TYPE* content = contentInfo->d.other;
  if (!content || content->type != V_ASN1_SEQUENCE || !content->value.sequence)
    return kTrustENoSignature;

  // SpcIndirectDataContent ::= SEQUENCE {
  //   data SEQUENCE { type OBJECT IDENTIFIER, value ANY OPTIONAL },
  //   messageDigest SEQUENCE { AlgorithmIdentifier, digest OCTET STRING } }
  const ASN1_STRING* encoded = content->value.sequence;
  DerReader outer(ASN1_STRING_get0_data(encoded), static_cast<size_t>(ASN1_STRING_length(encoded)));
  DerElement indirectContent, data, dataType, messageDigest, algorithm, algorithmOid, digest;
  if (!outer.Expect(kDerSequence, indirectContent)) return kTrustEBadDigest;
  DerReader fields(indirectContent.value, indirectContent.valueLength);
  if (!fields.Expect(kDerSequence, data) || !fields.Expect(kDerSequence, messageDigest))
    return kTrustEBadDigest;
  DerReader dataFields(data.value, data.valueLength);
  if (!dataFields.Expect(kDerObjectIdentifier, dataType)) return kTrustEBadDigest;
  const bool matchesKind = kind == SubjectKind::PeImage
                               ? HasValue(dataType, kPeImageData, sizeof(kPeImageData))
                               : HasValue(dataType, kCabinetData, sizeof(kCabinetData));
  if (!matchesKind) return kTrustEBadDigest;

  DerReader digestFields(messageDigest.value, messageDigest.valueLength);
  if (!digestFields.Expect(kDerSequence, algorithm) || !digestFields.Expect(kDerOctetString, digest))
    return kTrustEBadDigest;
  DerReader algorithmFields(algorithm.value, algorithm.valueLength);
  if (!algorithmFields.Expect(kDerObjectIdentifier, algorithmOid)) return kTrustEBadDigest;
  const unsigned char* oidCursor = algorithmOid.encoded;
  Asn1ObjectPtr oid(d2i_ASN1_OBJECT(nullptr, &oidCursor, static_cast<long>(algorithmOid.encodedLength)));
  indirect.digestAlgorithm = oid ? AcceptedDigest(oid.get()) : nullptr;
  if (!indirect.digestAlgorithm) return kNteBadAlgId;
  if (digest.valueLength != static_cast<size_t>(EVP_MD_get_size(indirect.digestAlgorithm)))
    return kTrustEBadDigest;

  indirect.digest.assign(digest.value, digest.value + digest.valueLength);
  indirect.content = indirectContent.value;
  indirect.contentLength = indirectContent.valueLength;
  return kSOk;
}

HResult VerifySignerSignature(PKCS7_SIGNER_INFO* signer, X509* certificate,
                              const IndirectData& indirect) {
  const EVP_MD* algorithm = AcceptedDigest(signer->digest_alg ? signer->digest_alg->algorithm : nullptr);
  if (!algorithm) return kNteBadAlgId;
  EVP_PKEY* key = X509_get0_pubkey(certificate);

  STACK_OF(X509_ATTRIBUTE)* attributes = PKCS7_get_signed_attributes(signer);
  if (!attributes || sk_X509_ATTRIBUTE_num(attributes) == 0) {
    return VerifySignature(key, algorithm, indirect.content, indirect.contentLength, signer->enc_digest)
               ? kSOk
               : kTrustEBadDigest;
  }

  ASN1_TYPE* contentType = PKCS7_get_signed_attribute(signer, NID_pkcs9_contentType);
  if (!contentType || contentType->type != V_ASN1_OBJECT ||
      !IsObject(contentType->value.object, kSpcIndirectData))
    return kTrustEBadDigest;

  ASN1_OCTET_STRING* signedDigest = PKCS7_digest_from_attributes(attributes);
  std::vector<uint8_t> contentDigest;
  if (!signedDigest || !Digest(algorithm, indirect.content, indirect.contentLength, contentDigest) ||
      static_cast<size_t>(ASN1_STRING_length(signedDigest)) != contentDigest.size() ||
      CRYPTO_memcmp(ASN1_STRING_get0_data(signedDigest), contentDigest.data(), contentDigest.size()) != 0)
    return kTrustEBadDigest;

  // The signature covers the attributes encoded as a SET OF.
  unsigned char* encoded = nullptr;
  const int encodedLength = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(attributes), &encoded,
                                          ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
  OpenSslBytes encodedAttributes(encoded);
  if (encodedLength <= 0) return kTrustEBadDigest;
  return VerifySignature(key, algorithm, encoded, static_cast<size_t>(encodedLength), signer->enc_digest)
             ? kSOk
             : kTrustEBadDigest;
}

HResult VerifyFileDigest(const ByteSource& file, const SignatureLayout& layout,
                         const IndirectData& indirect) {
  EvpMdCtxPtr context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), indirect.digestAlgorithm, nullptr) != 1)
    return kTrustEFail;
  // Small enough to stay in the cache, large enough for few reads.
  std::vector<uint8_t> piece(size_t{1} << 18);
  for (const ByteRange& range : layout.digested) {
    for (size_t done = 0; done < range.length;) {
      const size_t length = std::min(piece.size(), range.length - done);
      if (!file.Read(range.offset + done, length, piece.data()))
        return HResultFromWin32(file.ReadError());
      if (EVP_DigestUpdate(context.get(), piece.data(), length) != 1) return kTrustEFail;
      done += length;
    }
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return kTrustEFail;
  if (length != indirect.digest.size() || CRYPTO_memcmp(digest, indirect.digest.data(), length) != 0)
    return kTrustEBadDigest;
  return kSOk;
}

}  // namespace platform::posix::authenticode
