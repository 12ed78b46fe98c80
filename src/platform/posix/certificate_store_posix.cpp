// The personal store is the machine root's personal/ folder: each PEM file
// (certificate and private key, chain certificates after them) or PKCS #12
// file without a password is one certificate, in the order of the names.
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/pkcs12.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "infra/StringHelpers.h"
#include "platform/CertificateStore.h"
#include "platform/TextCompare.h"
#include "platform/posix/tls_policy.h"
#include "platform/posix/machine_root.h"

namespace platform {

using posix::ClientIdentity;
using posix::authenticode::X509Ptr;

class CertificateContext::Impl {
 public:
  explicit Impl(std::shared_ptr<const ClientIdentity> identity) : identity(std::move(identity)) {}
  std::shared_ptr<const ClientIdentity> identity;
};

class CertificateStore::Impl {
 public:
  std::vector<std::shared_ptr<CertificateContext::Impl>> certificates;
};

namespace {

struct FileCloser {
  void operator()(FILE* file) const { std::fclose(file); }
};

std::shared_ptr<const ClientIdentity> ReadPem(FILE* file) {
  auto identity = std::make_shared<ClientIdentity>();
  while (X509* certificate = PEM_read_X509(file, nullptr, nullptr, nullptr)) {
    if (!identity->certificate) {
      identity->certificate.reset(certificate);
    } else {
      identity->chain.emplace_back(certificate);
    }
  }
  ERR_clear_error();
  std::rewind(file);
  identity->key.reset(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
  ERR_clear_error();
  if (!identity->certificate || !identity->key) return nullptr;
  return identity;
}

std::shared_ptr<const ClientIdentity> ReadPkcs12(FILE* file) {
  PKCS12* bundle = d2i_PKCS12_fp(file, nullptr);
  if (!bundle) {
    ERR_clear_error();
    return nullptr;
  }
  EVP_PKEY* key = nullptr;
  X509* certificate = nullptr;
  STACK_OF(X509)* chain = nullptr;
  const bool parsed = PKCS12_parse(bundle, "", &key, &certificate, &chain) == 1 ||
                      PKCS12_parse(bundle, nullptr, &key, &certificate, &chain) == 1;
  PKCS12_free(bundle);
  ERR_clear_error();
  auto identity = std::make_shared<ClientIdentity>();
  identity->key.reset(key);
  identity->certificate.reset(certificate);
  for (int i = 0; chain && i < sk_X509_num(chain); ++i) identity->chain.emplace_back(sk_X509_value(chain, i));
  sk_X509_free(chain);
  if (!parsed || !identity->certificate || !identity->key) return nullptr;
  return identity;
}

std::shared_ptr<const ClientIdentity> ReadIdentity(const std::filesystem::path& path) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return nullptr;
  const std::string extension = path.extension().string();
  if (OrdinalEqualsNoCase(extension, ".p12") || OrdinalEqualsNoCase(extension, ".pfx")) return ReadPkcs12(file.get());
  if (OrdinalEqualsNoCase(extension, ".pem") || OrdinalEqualsNoCase(extension, ".crt")) return ReadPem(file.get());
  return nullptr;
}

}  // namespace

CertificateContext::CertificateContext() = default;
CertificateContext::~CertificateContext() = default;
CertificateContext::CertificateContext(const CertificateContext&) = default;
CertificateContext& CertificateContext::operator=(const CertificateContext&) = default;
CertificateContext::CertificateContext(CertificateContext&&) noexcept = default;
CertificateContext& CertificateContext::operator=(CertificateContext&&) noexcept = default;
CertificateContext::CertificateContext(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

bool CertificateContext::IsValid() const { return impl_ != nullptr; }
void CertificateContext::Reset() { impl_.reset(); }

std::vector<uint8_t> CertificateContext::SerialNumber() const {
  if (!impl_) return {};
  const ASN1_INTEGER* serial = X509_get0_serialNumber(impl_->identity->certificate.get());
  // The content octets of the DER integer, most significant first.
  unsigned char* encoded = nullptr;
  const int length = i2d_ASN1_INTEGER(serial, &encoded);
  std::vector<uint8_t> bytes;
  if (length > 2 && encoded) {
    const unsigned char* cursor = encoded;
    long contentLength = 0;
    int tag = 0, objectClass = 0;
    ASN1_get_object(&cursor, &contentLength, &tag, &objectClass, length);
    bytes.assign(cursor, cursor + contentLength);
  }
  OPENSSL_free(encoded);
  std::reverse(bytes.begin(), bytes.end());
  return bytes;
}

CertificateStore::CertificateStore() = default;
CertificateStore::~CertificateStore() = default;
CertificateStore::CertificateStore(CertificateStore&&) noexcept = default;
CertificateStore& CertificateStore::operator=(CertificateStore&&) noexcept = default;

Win32Error CertificateStore::OpenCurrentUserPersonal(CertificateStore& store) {
  auto impl = std::make_unique<Impl>();
  const std::filesystem::path folder = std::filesystem::path(posix::MachineRoot()) / "personal";
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (entry->is_regular_file()) files.push_back(entry->path());
  }
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& file : files) {
    if (auto identity = ReadIdentity(file))
      impl->certificates.push_back(std::make_shared<CertificateContext::Impl>(identity));
  }
  // An empty or missing folder is an empty store, as a fresh profile's is.
  store.impl_ = std::move(impl);
  return kErrorSuccess;
}

bool CertificateStore::IsOpen() const { return impl_ != nullptr; }
void CertificateStore::Close() { impl_.reset(); }

bool CertificateStore::NextCertificate(CertificateContext& current) const {
  if (!impl_) {
    current.Reset();
    return false;
  }
  size_t next = 0;
  if (current.IsValid()) {
    while (next < impl_->certificates.size() && impl_->certificates[next].get() != current.Get()) ++next;
    ++next;
  }
  if (next >= impl_->certificates.size()) {
    current.Reset();
    return false;
  }
  current = CertificateContext(impl_->certificates[next]);
  return true;
}

bool CompareIntegerBlob(const std::vector<uint8_t>& first, const std::vector<uint8_t>& second) {
  // Leading bytes are at the end of a little-endian blob.
  auto significant = [](const std::vector<uint8_t>& blob) {
    size_t length = blob.size();
    while (length > 1) {
      const uint8_t top = blob[length - 1];
      const uint8_t below = blob[length - 2];
      if ((top == 0x00 && !(below & 0x80)) || (top == 0xFF && (below & 0x80))) {
        --length;
      } else {
        break;
      }
    }
    return std::vector<uint8_t>(blob.begin(), blob.begin() + static_cast<std::ptrdiff_t>(length));
  };
  return significant(first) == significant(second);
}

namespace posix {

std::shared_ptr<const ClientIdentity> IdentityOf(const CertificateContext& certificate) {
  return certificate.Get() ? certificate.Get()->identity : nullptr;
}

}  // namespace posix
}  // namespace platform
