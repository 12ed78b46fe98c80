#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/EmbeddedSignature.h"
#include "platform/FileSystem.h"
#include "platform/posix/authenticode_layout.h"
#include "platform/posix/authenticode_name.h"
#include "platform/posix/authenticode_signed_data.h"
#include "platform/posix/authenticode_timestamp.h"
#include "platform/posix/authenticode_trust.h"
#include "platform/posix/byte_source.h"
#include "platform/posix/wide_text.h"

namespace platform {
namespace {

using namespace posix::authenticode;

// What a Windows file path names on this machine.
std::string HostPathOf(const WideString& path) { return ToNativePath(posix::ToUtf8(path)); }

// A file's signature as far as it can be read: the open file, where the
// signature lies and the decoded SignedData.
struct LoadedSignature {
  posix::FileBytes file;
  SignatureLayout layout;
  Pkcs7Ptr signedData;
};

// kSOk when a SignedData was decoded; else a WinVerifyTrust result.
HResult LoadSignature(const WideString& path, LoadedSignature& loaded, Win32Error& fileError) {
  fileError = loaded.file.Open(HostPathOf(path));
  if (fileError != kErrorSuccess) return HResultFromWin32(fileError);
  loaded.layout = LocateSignature(loaded.file);
  switch (loaded.layout.status) {
    case LayoutStatus::Signed: break;
    case LayoutStatus::UnknownForm: return kTrustESubjectFormUnknown;
    case LayoutStatus::Unsigned:
    case LayoutStatus::Malformed: return kTrustENoSignature;
  }
  const ByteRange& signature = loaded.layout.signature;
  std::vector<uint8_t> der;
  if (!loaded.file.Read(signature.offset, signature.length, der)) return kTrustENoSignature;
  loaded.signedData = DecodeSignedData(der.data(), der.size());
  return loaded.signedData ? kSOk : kTrustENoSignature;
}

}  // namespace

class EmbeddedSignatureQuery::Impl {
 public:
  bool Fail(uint32_t error) {
    lastError = error;
    return false;
  }

  Pkcs7Ptr signedData;
  std::vector<uint8_t> signerInfo;  // DER of the first SignerInfo
  X509* certificate = nullptr;      // owned by signedData
  uint32_t lastError = 0;
};

EmbeddedSignatureQuery::EmbeddedSignatureQuery() : impl_(new Impl) {}

EmbeddedSignatureQuery::~EmbeddedSignatureQuery() = default;

bool EmbeddedSignatureQuery::QueryObject(const WideString& path) {
  LoadedSignature loaded;
  Win32Error fileError = kErrorSuccess;
  if (LoadSignature(path, loaded, fileError) != kSOk) {
    return impl_->Fail(fileError != kErrorSuccess ? static_cast<uint32_t>(fileError)
                                                  : static_cast<uint32_t>(kCryptENoMatch));
  }
  impl_->signedData = std::move(loaded.signedData);
  return true;
}

bool EmbeddedSignatureQuery::GetSignerInfoSize(uint32_t& size) {
  PKCS7_SIGNER_INFO* signer = impl_->signedData ? FirstSigner(impl_->signedData.get()) : nullptr;
  if (!signer) return impl_->Fail(static_cast<uint32_t>(kCryptEInvalidIndex));
  const int length = i2d_PKCS7_SIGNER_INFO(signer, nullptr);
  if (length <= 0) return impl_->Fail(static_cast<uint32_t>(kCryptENoMatch));
  size = static_cast<uint32_t>(length);
  return true;
}

bool EmbeddedSignatureQuery::GetSignerInfo(void* buffer, uint32_t& size) {
  uint32_t needed = 0;
  if (!GetSignerInfoSize(needed)) return false;
  if (!buffer || size < needed) {
    size = needed;
    return impl_->Fail(static_cast<uint32_t>(kErrorMoreData));
  }
  unsigned char* cursor = static_cast<unsigned char*>(buffer);
  if (i2d_PKCS7_SIGNER_INFO(FirstSigner(impl_->signedData.get()), &cursor) != static_cast<int>(needed))
    return impl_->Fail(static_cast<uint32_t>(kCryptENoMatch));
  impl_->signerInfo.assign(static_cast<uint8_t*>(buffer), static_cast<uint8_t*>(buffer) + needed);
  size = needed;
  return true;
}

bool EmbeddedSignatureQuery::FindSignerCertificate(const void* signerInfo) {
  // The buffer holds what GetSignerInfo wrote; its length is known here.
  if (!signerInfo || !impl_->signedData || impl_->signerInfo.empty() ||
      std::memcmp(signerInfo, impl_->signerInfo.data(), impl_->signerInfo.size()) != 0)
    return impl_->Fail(static_cast<uint32_t>(kErrorInvalidParameter));
  const unsigned char* cursor = static_cast<const unsigned char*>(signerInfo);
  SignerInfoPtr signer(
      d2i_PKCS7_SIGNER_INFO(nullptr, &cursor, static_cast<long>(impl_->signerInfo.size())));
  if (!signer) return impl_->Fail(static_cast<uint32_t>(kCryptENoMatch));
  impl_->certificate = posix::authenticode::FindSignerCertificate(impl_->signedData.get(), signer.get());
  if (!impl_->certificate) return impl_->Fail(static_cast<uint32_t>(kCryptENotFound));
  return true;
}

uint32_t EmbeddedSignatureQuery::GetSimpleDisplayName(char* buffer, uint32_t size) {
  if (!impl_->certificate) {
    impl_->lastError = static_cast<uint32_t>(kCryptENotFound);
    return 0;
  }
  const std::string name = SimpleDisplayName(impl_->certificate);
  const uint32_t needed = static_cast<uint32_t>(name.size() + 1);
  if (!buffer || size == 0) return needed;
  // Like CertGetNameStringA: a short buffer gets what fits, zero-terminated.
  const uint32_t copied = std::min<uint32_t>(size - 1, needed - 1);
  std::memcpy(buffer, name.data(), copied);
  buffer[copied] = '\0';
  return copied + 1;
}

uint32_t EmbeddedSignatureQuery::LastError() const { return impl_->lastError; }

HResult VerifyTrustOfFile(const TrustFileRequest& request) {
  LoadedSignature loaded;
  Win32Error fileError = kErrorSuccess;
  const HResult loadResult = LoadSignature(request.path, loaded, fileError);
  if (loadResult != kSOk) return loadResult;

  PKCS7* signedData = loaded.signedData.get();
  PKCS7_SIGNER_INFO* signer = FirstSigner(signedData);
  if (!signer) return kTrustENoSignature;
  X509* certificate = posix::authenticode::FindSignerCertificate(signedData, signer);
  if (!certificate) return kTrustENoSignerCert;

  // The signature and the file digest first, the certificates after, as
  // the Authenticode provider orders its steps.
  IndirectData indirect;
  HResult result = ReadIndirectData(signedData, loaded.layout.kind, indirect);
  if (result == kSOk) result = VerifySignerSignature(signer, certificate, indirect);
  if (result == kSOk) result = VerifyFileDigest(loaded.file, loaded.layout, indirect);
  if (result != kSOk) return result;

  std::time_t signedAt = 0;
  const bool timestamped = !RequiresValidityNow(certificate) && ReadVerifiedTimestamp(signer, signedAt);
  return VerifySignerChain(certificate, signedData->d.sign->cert, signedData->d.sign->crl,
                           RevocationScopeOf(request.revocationChecks, request.providerFlags),
                           timestamped ? &signedAt : nullptr);
}

bool TrustPromptAvailable() { return false; }

}  // namespace platform
