#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include "personal_certificate.h"
#include "test_files.h"

namespace {

HCERTSTORE OpenPersonalStore() {
  return CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "MY");
}

}  // namespace

PersonalCertificate::PersonalCertificate(const std::string& pkcs12Path) {
  const std::string bytes = ReadTestFile(pkcs12Path);
  CRYPT_DATA_BLOB blob{static_cast<DWORD>(bytes.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()))};
  HCERTSTORE imported = PFXImportCertStore(&blob, L"", CRYPT_USER_KEYSET);
  if (!imported) return;
  HCERTSTORE personal = OpenPersonalStore();
  // The certificate with a private key is the client's; the CA is not.
  PCCERT_CONTEXT context = nullptr;
  while (personal && (context = CertEnumCertificatesInStore(imported, context))) {
    DWORD size = 0;
    if (!CertGetCertificateContextProperty(context, CERT_KEY_PROV_INFO_PROP_ID, nullptr, &size)) continue;
    if (CertAddCertificateContextToStore(personal, context, CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
      BYTE hash[20];
      DWORD hashSize = sizeof(hash);
      if (CertGetCertificateContextProperty(context, CERT_SHA1_HASH_PROP_ID, hash, &hashSize))
        thumbprint_.assign(reinterpret_cast<char*>(hash), hashSize);
      installed_ = true;
    }
  }
  if (context) CertFreeCertificateContext(context);
  if (personal) CertCloseStore(personal, 0);
  CertCloseStore(imported, 0);
}

PersonalCertificate::~PersonalCertificate() {
  if (thumbprint_.empty()) return;
  HCERTSTORE personal = OpenPersonalStore();
  if (!personal) return;
  CRYPT_HASH_BLOB hash{static_cast<DWORD>(thumbprint_.size()),
                       reinterpret_cast<BYTE*>(const_cast<char*>(thumbprint_.data()))};
  PCCERT_CONTEXT found =
      CertFindCertificateInStore(personal, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &hash, nullptr);
  if (found) CertDeleteCertificateFromStore(found);
  CertCloseStore(personal, 0);
}
