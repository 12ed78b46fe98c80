// Owning handles for the OpenSSL objects the Authenticode check uses.
#pragma once

#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>

#include <cstring>
#include <memory>

namespace platform::posix::authenticode {

template <typename T, void (*Release)(T*)>
struct OpenSslRelease {
  void operator()(T* object) const {
    if (object) Release(object);
  }
};

using Pkcs7Ptr = std::unique_ptr<PKCS7, OpenSslRelease<PKCS7, PKCS7_free>>;
using SignerInfoPtr =
    std::unique_ptr<PKCS7_SIGNER_INFO, OpenSslRelease<PKCS7_SIGNER_INFO, PKCS7_SIGNER_INFO_free>>;
using X509Ptr = std::unique_ptr<X509, OpenSslRelease<X509, X509_free>>;
using X509CrlPtr = std::unique_ptr<X509_CRL, OpenSslRelease<X509_CRL, X509_CRL_free>>;
using X509StorePtr = std::unique_ptr<X509_STORE, OpenSslRelease<X509_STORE, X509_STORE_free>>;
using X509StoreCtxPtr =
    std::unique_ptr<X509_STORE_CTX, OpenSslRelease<X509_STORE_CTX, X509_STORE_CTX_free>>;
using EvpMdCtxPtr = std::unique_ptr<EVP_MD_CTX, OpenSslRelease<EVP_MD_CTX, EVP_MD_CTX_free>>;
using Asn1ObjectPtr = std::unique_ptr<ASN1_OBJECT, OpenSslRelease<ASN1_OBJECT, ASN1_OBJECT_free>>;

struct X509StackRelease {
  void operator()(STACK_OF(X509) * stack) const { sk_X509_pop_free(stack, X509_free); }
};
using X509StackPtr = std::unique_ptr<STACK_OF(X509), X509StackRelease>;

struct OpenSslBytesRelease {
  void operator()(unsigned char* bytes) const { OPENSSL_free(bytes); }
};
using OpenSslBytes = std::unique_ptr<unsigned char, OpenSslBytesRelease>;

// The object identifier in dotted form equals dotted.
inline bool IsObject(const ASN1_OBJECT* object, const char* dotted) {
  if (!object) return false;
  char text[80] = {};
  const int length = OBJ_obj2txt(text, sizeof(text), object, 1);
  return length > 0 && static_cast<size_t>(length) < sizeof(text) && std::strcmp(text, dotted) == 0;
}

}  // namespace platform::posix::authenticode
