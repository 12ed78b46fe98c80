#include "integrity/CSignedCode.h"

#include <cstdint>
#include <memory>
#include <new>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "integrity/AcceptedPublishers.h"

namespace {

constexpr char kCheckLocation[] = "CSignedCode::CheckObjectSignature";
constexpr char kCertificateLocation[] = "VerifyEmbeddedCertificate";
constexpr char kSignatureLocation[] = "VerifyEmbeddedSignature";

void WarnWithError(const char* format, uint32_t error) {
  SimpleLogger::GetInstance()->Warning(kCertificateLocation, Format(format, error));
}

}  // namespace

CSignedCode::CSignedCode(bool cancelCrlCheck) : cancelCrlCheck_(cancelCrlCheck) {}

CSignedCode::~CSignedCode() = default;

int CSignedCode::CheckObjectSignature(const std::string& path, bool allowTrustUi) {
  lastResult_ = platform::kTrustENoSignature;
  SimpleLogger* log = SimpleLogger::GetInstance();
  try {
    const platform::WideString widePath = platform::ToWideString(path);
    log->Info(kCheckLocation, "Processing:" + path);

    bool accepted = false;
    if (!VerifyEmbeddedCertificate(widePath, accepted)) {
      log->Warning(kCheckLocation,
                   "Unable to validate certificate or certificate not found for:" + path);
      return 0;
    }
    // The accepted publishers never get a prompt; anyone else only when the
    // caller allows one.
    const bool showTrustUi = allowTrustUi && !accepted;
    const bool valid = VerifyEmbeddedSignature(widePath, showTrustUi, cancelCrlCheck_, lastResult_);
    log->Info(kCheckLocation, "Verification completed for:" + path);
    return valid ? 1 : 0;
  } catch (...) {
    try {
      log->Warning(kCheckLocation, "Internal exception while validating certificate for:" + path);
    } catch (...) {
    }
    return 0;
  }
}

bool CSignedCode::VerifyEmbeddedCertificate(const platform::WideString& path, bool& accepted) {
  SimpleLogger* log = SimpleLogger::GetInstance();
  platform::EmbeddedSignatureQuery query;
  if (!query.QueryObject(path)) {
    WarnWithError("CryptQueryObject failed with 0x%x", query.LastError());
    return false;
  }

  uint32_t signerInfoSize = 0;
  if (!query.GetSignerInfoSize(signerInfoSize)) {
    WarnWithError("CryptMsgGetParam [get size] failed with 0x%x", query.LastError());
    return false;
  }
  // Zero-filled, as the signer information is read into it in place.
  std::unique_ptr<uint8_t[]> signerInfo(new (std::nothrow) uint8_t[signerInfoSize]());
  if (!signerInfo) {
    log->Warning(kCertificateLocation, "Unable to allocate memory for Signer Info");
    return false;
  }
  if (!query.GetSignerInfo(signerInfo.get(), signerInfoSize)) {
    WarnWithError("CryptMsgGetParam [get Signer Information] failed with 0x%x", query.LastError());
    return false;
  }

  if (!query.FindSignerCertificate(signerInfo.get())) {
    WarnWithError("CertFindCertificateInStore failed with 0x%x", query.LastError());
    return false;
  }

  const uint32_t nameLength = query.GetSimpleDisplayName(nullptr, 0);
  if (nameLength == 0) {
    log->Warning(kCertificateLocation, "CertGetNameString failed.");
    return false;
  }
  std::unique_ptr<char[]> name(new (std::nothrow) char[nameLength]());
  if (!name) {
    log->Warning(kCertificateLocation, "Unable to allocate memory for subject name.");
    return false;
  }
  uint32_t written = query.GetSimpleDisplayName(name.get(), nameLength);
  if (written == 0) {
    WarnWithError("CertGetNameString failed with 0x%x", query.LastError());
    return false;
  }
  if (written > nameLength) written = nameLength;

  // The count includes the terminating zero; anything before it, embedded
  // zeros too, is part of the name.
  accepted = IsAcceptedPublisher(std::string(name.get(), written - 1));
  log->Info(kCertificateLocation,
            Format("Completed. Certificate is valid. Certificate issued to QX %d", accepted ? 1 : 0));
  return true;
}

bool CSignedCode::VerifyEmbeddedSignature(const platform::WideString& path, bool showTrustUi,
                                          bool cancelCrlCheck, platform::HResult& result) {
  SimpleLogger* log = SimpleLogger::GetInstance();
  try {
    platform::TrustFileRequest request;
    request.path = path;
    request.uiChoice = showTrustUi ? platform::kWtdUiNoBad : platform::kWtdUiNone;
    request.revocationChecks = platform::kWtdRevokeNone;
    // Revocation of every certificate but the root, unless the page asked
    // for no CRL check at all.
    request.providerFlags = cancelCrlCheck ? platform::kWtdRevocationCheckNone
                                           : platform::kWtdRevocationCheckChainExcludeRoot;
    request.uiContext = platform::kWtdUiContextInstall;

    if (showTrustUi && !platform::TrustPromptAvailable()) {
      log->Info(kSignatureLocation, "No trust prompt on this platform; verifying without one.");
    }
    const platform::HResult code = platform::VerifyTrustOfFile(request);
    log->Info(kSignatureLocation, Format("Completed with result 0x%X", static_cast<unsigned>(code)));
    result = code;
    return code == 0;
  } catch (...) {
    try {
      log->Warning(kSignatureLocation, "Internal exception occured returning false.");
    } catch (...) {
    }
    return false;
  }
}
