// The current user's personal certificates ("MY"), where a client
// certificate is looked up by its serial number. win32: CertOpenStore (system
// store, current user), CertEnumCertificatesInStore, CertCompareIntegerBlob,
// CertDuplicateCertificateContext. posix: the PEM and PKCS #12 files in the
// machine root's personal/ folder, each a certificate with its private key
// (a PKCS #12 file without a password).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32Codes.h"

namespace platform {

// A certificate context of the store; a copy is a duplicate of the same
// certificate (CertDuplicateCertificateContext), released with the object.
class CertificateContext {
 public:
  class Impl;

  CertificateContext();
  ~CertificateContext();
  CertificateContext(const CertificateContext&);
  CertificateContext& operator=(const CertificateContext&);
  CertificateContext(CertificateContext&&) noexcept;
  CertificateContext& operator=(CertificateContext&&) noexcept;

  bool IsValid() const;
  void Reset();
  // pCertInfo->SerialNumber: least significant byte first.
  std::vector<uint8_t> SerialNumber() const;

  Impl* Get() const { return impl_.get(); }
  explicit CertificateContext(std::shared_ptr<Impl> impl);

 private:
  std::shared_ptr<Impl> impl_;
};

class CertificateStore {
 public:
  class Impl;

  CertificateStore();
  ~CertificateStore();
  CertificateStore(CertificateStore&&) noexcept;
  CertificateStore& operator=(CertificateStore&&) noexcept;
  CertificateStore(const CertificateStore&) = delete;
  CertificateStore& operator=(const CertificateStore&) = delete;

  // CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
  // CERT_SYSTEM_STORE_CURRENT_USER, "MY").
  static Win32Error OpenCurrentUserPersonal(CertificateStore& store);

  bool IsOpen() const;
  void Close();

  // CertEnumCertificatesInStore: the certificate after current (the first
  // when current is empty); false and current empty after the last.
  bool NextCertificate(CertificateContext& current) const;

 private:
  std::unique_ptr<Impl> impl_;
};

// CertCompareIntegerBlob: both are little-endian two's-complement integers;
// leading zero bytes of a positive and leading 0xFF bytes of a negative
// number do not count.
bool CompareIntegerBlob(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second);

}  // namespace platform
