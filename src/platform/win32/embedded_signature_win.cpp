#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstddef>

#include "platform/EmbeddedSignature.h"

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "WCHAR is UTF-16 on Windows");

const wchar_t* AsWide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The WINTRUST_DATA of the trust providers before signature settings were
// added: 48 bytes on 32-bit Windows. WinVerifyTrust reads only the fields
// this size covers.
constexpr DWORD kWinTrustDataSize = offsetof(WINTRUST_DATA, dwUIContext) + sizeof(DWORD);
#if !defined(_WIN64)
static_assert(kWinTrustDataSize == 48, "WINTRUST_DATA up to dwUIContext");
static_assert(sizeof(WINTRUST_FILE_INFO) == 16, "WINTRUST_FILE_INFO without extensions");
#endif

}  // namespace

WideString ToWideString(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (length <= 0) return {};
  WideString wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()),
                      reinterpret_cast<wchar_t*>(&wide[0]), length);
  return wide;
}

class EmbeddedSignatureQuery::Impl {
 public:
  ~Impl() {
    if (certificate) CertFreeCertificateContext(certificate);
    if (store) CertCloseStore(store, 0);
    if (message) CryptMsgClose(message);
  }

  bool Fail() {
    lastError = GetLastError();
    return false;
  }

  HCERTSTORE store = nullptr;
  HCRYPTMSG message = nullptr;
  PCCERT_CONTEXT certificate = nullptr;
  DWORD lastError = 0;
};

EmbeddedSignatureQuery::EmbeddedSignatureQuery() : impl_(new Impl) {}

EmbeddedSignatureQuery::~EmbeddedSignatureQuery() = default;

bool EmbeddedSignatureQuery::QueryObject(const WideString& path) {
  DWORD encoding = 0;
  DWORD contentType = 0;
  DWORD formatType = 0;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, AsWide(path), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &contentType, &formatType,
                        &impl_->store, &impl_->message, nullptr)) {
    return impl_->Fail();
  }
  return true;
}

bool EmbeddedSignatureQuery::GetSignerInfoSize(uint32_t& size) {
  if (!impl_->message) {
    impl_->lastError = static_cast<DWORD>(CRYPT_E_INVALID_INDEX);
    return false;
  }
  DWORD bytes = 0;
  if (!CryptMsgGetParam(impl_->message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &bytes)) return impl_->Fail();
  size = bytes;
  return true;
}

bool EmbeddedSignatureQuery::GetSignerInfo(void* buffer, uint32_t& size) {
  if (!impl_->message) {
    impl_->lastError = static_cast<DWORD>(CRYPT_E_INVALID_INDEX);
    return false;
  }
  DWORD bytes = size;
  if (!CryptMsgGetParam(impl_->message, CMSG_SIGNER_INFO_PARAM, 0, buffer, &bytes)) return impl_->Fail();
  size = bytes;
  return true;
}

bool EmbeddedSignatureQuery::FindSignerCertificate(const void* signerInfo) {
  if (!signerInfo || !impl_->store) {
    impl_->lastError = ERROR_INVALID_PARAMETER;
    return false;
  }
  const auto* signer = static_cast<const CMSG_SIGNER_INFO*>(signerInfo);
  CERT_INFO wanted = {};
  wanted.Issuer = signer->Issuer;
  wanted.SerialNumber = signer->SerialNumber;
  impl_->certificate = CertFindCertificateInStore(impl_->store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                  CERT_FIND_SUBJECT_CERT, &wanted, nullptr);
  if (!impl_->certificate) return impl_->Fail();
  return true;
}

uint32_t EmbeddedSignatureQuery::GetSimpleDisplayName(char* buffer, uint32_t size) {
  if (!impl_->certificate) {
    impl_->lastError = static_cast<DWORD>(CRYPT_E_NOT_FOUND);
    return 0;
  }
  const DWORD length =
      CertGetNameStringA(impl_->certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, buffer, size);
  if (length == 0) impl_->lastError = GetLastError();
  return length;
}

uint32_t EmbeddedSignatureQuery::LastError() const { return impl_->lastError; }

HResult VerifyTrustOfFile(const TrustFileRequest& request) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = AsWide(request.path);
  file.hFile = nullptr;
  file.pgKnownSubject = nullptr;

  WINTRUST_DATA data;
  ZeroMemory(&data, sizeof(data));
  data.cbStruct = kWinTrustDataSize;
  data.pPolicyCallbackData = nullptr;
  data.pSIPClientData = nullptr;
  data.dwUIChoice = request.uiChoice;
  data.fdwRevocationChecks = request.revocationChecks;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = 0;
  data.hWVTStateData = nullptr;
  data.pwszURLReference = nullptr;
  data.dwProvFlags = request.providerFlags;
  data.dwUIContext = request.uiContext;

  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return static_cast<HResult>(WinVerifyTrust(static_cast<HWND>(nullptr), &action, &data));
}

bool TrustPromptAvailable() { return true; }

}  // namespace platform
