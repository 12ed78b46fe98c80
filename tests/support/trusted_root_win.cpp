#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>

#include "test_files.h"
#include "trusted_root.h"

namespace {

class RootStore {
 public:
  RootStore()
      : store_(CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                             CERT_SYSTEM_STORE_LOCAL_MACHINE | CERT_STORE_OPEN_EXISTING_FLAG, "Root")) {}
  ~RootStore() {
    if (store_) CertCloseStore(store_, 0);
  }
  RootStore(const RootStore&) = delete;
  RootStore& operator=(const RootStore&) = delete;
  HCERTSTORE Get() const { return store_; }

 private:
  HCERTSTORE store_;
};

// The DER is shorter than its base64 text.
std::vector<unsigned char> DecodePem(const std::vector<unsigned char>& pem) {
  std::vector<unsigned char> der(pem.size());
  DWORD size = static_cast<DWORD>(der.size());
  if (!CryptStringToBinaryA(reinterpret_cast<const char*>(pem.data()), static_cast<DWORD>(pem.size()),
                            CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
    return {};
  der.resize(size);
  return der;
}

void AddToRootStore(const std::vector<unsigned char>& encoded) {
  ASSERT_FALSE(encoded.empty()) << "test CA not readable";
  RootStore root;
  ASSERT_NE(nullptr, root.Get()) << "Root store: " << GetLastError();
  ASSERT_TRUE(CertAddEncodedCertificateToStore(root.Get(), X509_ASN_ENCODING, encoded.data(),
                                               static_cast<DWORD>(encoded.size()),
                                               CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
      << "adding the test CA: " << GetLastError();
}

}  // namespace

TrustedRoot::TrustedRoot(const std::string& caPemPath, const std::string&) {
  const std::string pem = ReadTestFile(caPemPath);
  encoded_ = DecodePem(std::vector<unsigned char>(pem.begin(), pem.end()));
  AddToRootStore(encoded_);
}

TrustedRoot::~TrustedRoot() {
  if (encoded_.empty()) return;
  RootStore root;
  if (!root.Get()) return;
  PCCERT_CONTEXT added = CertCreateCertificateContext(X509_ASN_ENCODING, encoded_.data(),
                                                      static_cast<DWORD>(encoded_.size()));
  if (!added) return;
  PCCERT_CONTEXT found =
      CertFindCertificateInStore(root.Get(), X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, added, nullptr);
  if (found) CertDeleteCertificateFromStore(found);  // frees found
  CertFreeCertificateContext(added);
}
