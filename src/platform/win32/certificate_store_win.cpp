#include <algorithm>

#include "platform/win32/certificate_context_win.h"

namespace platform {

class CertificateContext::Impl {
 public:
  // Takes over one reference of context.
  explicit Impl(PCCERT_CONTEXT context) : context(context) {}
  ~Impl() { CertFreeCertificateContext(context); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  PCCERT_CONTEXT context;
};

class CertificateStore::Impl {
 public:
  explicit Impl(HCERTSTORE store) : store(store) {}
  ~Impl() { CertCloseStore(store, 0); }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  HCERTSTORE store;
};

namespace win32 {

PCCERT_CONTEXT ContextOf(const CertificateContext& certificate) {
  return certificate.Get() ? certificate.Get()->context : nullptr;
}

}  // namespace win32

CertificateContext::CertificateContext() = default;
CertificateContext::~CertificateContext() = default;
CertificateContext::CertificateContext(CertificateContext&&) noexcept = default;
CertificateContext& CertificateContext::operator=(CertificateContext&&) noexcept = default;
CertificateContext::CertificateContext(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

// A copy is a duplicate of the certificate, as CertDuplicateCertificateContext makes.
CertificateContext::CertificateContext(const CertificateContext& other) {
  if (other.impl_) impl_ = std::make_shared<Impl>(CertDuplicateCertificateContext(other.impl_->context));
}

CertificateContext& CertificateContext::operator=(const CertificateContext& other) {
  if (this != &other) *this = CertificateContext(other);
  return *this;
}

bool CertificateContext::IsValid() const { return impl_ != nullptr; }
void CertificateContext::Reset() { impl_.reset(); }

std::vector<uint8_t> CertificateContext::SerialNumber() const {
  if (!impl_) return {};
  const CRYPT_INTEGER_BLOB& serial = impl_->context->pCertInfo->SerialNumber;
  return std::vector<uint8_t>(serial.pbData, serial.pbData + serial.cbData);
}

CertificateStore::CertificateStore() = default;
CertificateStore::~CertificateStore() = default;
CertificateStore::CertificateStore(CertificateStore&&) noexcept = default;
CertificateStore& CertificateStore::operator=(CertificateStore&&) noexcept = default;

Win32Error CertificateStore::OpenCurrentUserPersonal(CertificateStore& store) {
  HCERTSTORE opened = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "MY");
  if (!opened) return static_cast<Win32Error>(GetLastError());
  store.impl_ = std::make_unique<Impl>(opened);
  return kErrorSuccess;
}

bool CertificateStore::IsOpen() const { return impl_ != nullptr; }
void CertificateStore::Close() { impl_.reset(); }

bool CertificateStore::NextCertificate(CertificateContext& current) const {
  if (!impl_) {
    current.Reset();
    return false;
  }
  // CertEnumCertificatesInStore frees the context it is given, so it gets a
  // duplicate of the caller's.
  PCCERT_CONTEXT previous = win32::ContextOf(current);
  if (previous) previous = CertDuplicateCertificateContext(previous);
  PCCERT_CONTEXT next = CertEnumCertificatesInStore(impl_->store, previous);
  if (!next) {
    current.Reset();
    return false;
  }
  current = CertificateContext(std::make_shared<CertificateContext::Impl>(next));
  return true;
}

bool CompareIntegerBlob(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second) {
  CRYPT_INTEGER_BLOB a{static_cast<DWORD>(first.size()), const_cast<BYTE*>(first.data())};
  CRYPT_INTEGER_BLOB b{static_cast<DWORD>(second.size()), const_cast<BYTE*>(second.data())};
  return CertCompareIntegerBlob(&a, &b) != FALSE;
}

}  // namespace platform
