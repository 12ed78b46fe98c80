// The Authenticode signature embedded in a program file (PE) or a cabinet.
// win32: CryptQueryObject, CryptMsgGetParam, CertFindCertificateInStore,
// CertGetNameStringA and WinVerifyTrust. posix: the same operations over
// OpenSSL, trusting the machine root's certificates/ folder and the system
// CA store, with the same result numbers so callers behave alike.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Win32Codes.h"

namespace platform {

// Results of WinVerifyTrust and errors of the CryptoAPI calls (winerror.h).
constexpr HResult kTrustENoSignature = static_cast<HResult>(0x800B0100u);
constexpr HResult kTrustESubjectFormUnknown = static_cast<HResult>(0x800B0003u);
constexpr HResult kTrustEBadDigest = static_cast<HResult>(0x80096010u);
constexpr HResult kTrustENoSignerCert = static_cast<HResult>(0x80096002u);
constexpr HResult kTrustECertSignature = static_cast<HResult>(0x80096004u);
constexpr HResult kTrustEBasicConstraints = static_cast<HResult>(0x80096019u);
constexpr HResult kTrustEFail = static_cast<HResult>(0x800B010Bu);
constexpr HResult kCertEExpired = static_cast<HResult>(0x800B0101u);
constexpr HResult kCertEUntrustedRoot = static_cast<HResult>(0x800B0109u);
constexpr HResult kCertEChaining = static_cast<HResult>(0x800B010Au);
constexpr HResult kCertERevoked = static_cast<HResult>(0x800B010Cu);
constexpr HResult kCertEWrongUsage = static_cast<HResult>(0x800B0110u);
constexpr HResult kNteBadAlgId = static_cast<HResult>(0x80090008u);
constexpr HResult kCryptENoMatch = static_cast<HResult>(0x80092009u);
constexpr HResult kCryptENotFound = static_cast<HResult>(0x80092004u);
constexpr HResult kCryptEInvalidIndex = static_cast<HResult>(0x80091008u);

// WINTRUST_DATA choices (wintrust.h).
constexpr uint32_t kWtdUiNone = 2;
constexpr uint32_t kWtdUiNoBad = 3;
constexpr uint32_t kWtdRevokeNone = 0;
constexpr uint32_t kWtdRevokeWholeChain = 1;
constexpr uint32_t kWtdRevocationCheckNone = 0x10;
constexpr uint32_t kWtdRevocationCheckEndCert = 0x20;
constexpr uint32_t kWtdRevocationCheckChain = 0x40;
constexpr uint32_t kWtdRevocationCheckChainExcludeRoot = 0x80;
constexpr uint32_t kWtdUiContextInstall = 1;

// UTF-16 text as the wide Windows calls take it.
using WideString = std::u16string;

// MultiByteToWideChar with the thread's ANSI code page (CP_THREAD_ACP). On
// posix narrow text is UTF-8; invalid sequences become U+FFFD.
WideString ToWideString(const std::string& text);

// The signed message and certificate store CryptQueryObject finds in a
// file, and the signer certificate looked up in it. Everything obtained is
// released when the object goes. After a call that failed, LastError()
// holds what GetLastError gave for it.
class EmbeddedSignatureQuery {
 public:
  EmbeddedSignatureQuery();
  ~EmbeddedSignatureQuery();
  EmbeddedSignatureQuery(const EmbeddedSignatureQuery&) = delete;
  EmbeddedSignatureQuery& operator=(const EmbeddedSignatureQuery&) = delete;

  // CryptQueryObject(CERT_QUERY_OBJECT_FILE, path,
  // CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED, CERT_QUERY_FORMAT_FLAG_BINARY,
  // 0, ...): the encoding, the store and the message.
  bool QueryObject(const WideString& path);

  // CryptMsgGetParam(CMSG_SIGNER_INFO_PARAM, signer 0) without a buffer:
  // the size the signer information needs.
  bool GetSignerInfoSize(uint32_t& size);
  // The same into the caller's buffer of size bytes (size is updated).
  bool GetSignerInfo(void* buffer, uint32_t& size);

  // CertFindCertificateInStore(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
  // CERT_FIND_SUBJECT_CERT) in the message's store, with the issuer and
  // serial number of the signer information GetSignerInfo filled in.
  bool FindSignerCertificate(const void* signerInfo);

  // CertGetNameStringA(CERT_NAME_SIMPLE_DISPLAY_TYPE, no flags) of the
  // signer certificate: with a null buffer the characters needed including
  // the terminating zero; else the characters written, zero included.
  uint32_t GetSimpleDisplayName(char* buffer, uint32_t size);

  uint32_t LastError() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The WINTRUST_DATA fields the caller chooses; the rest are zero, the
// subject is the file (WTD_CHOICE_FILE, no handle, no known subject) and
// the state action is none.
struct TrustFileRequest {
  WideString path;
  uint32_t uiChoice = kWtdUiNone;
  uint32_t revocationChecks = kWtdRevokeNone;
  uint32_t providerFlags = 0;
  uint32_t uiContext = 0;
};

// WinVerifyTrust(no window, WINTRUST_ACTION_GENERIC_VERIFY_V2, data).
HResult VerifyTrustOfFile(const TrustFileRequest& request);

// False where no trust prompt can ever be shown (posix).
bool TrustPromptAvailable();

}  // namespace platform
