// Authenticode of PE images and cabinets (posix port): any file gets one of
// the documented verdicts, and a file that verifies also yields its signer
// through the query calls. Trusted roots for the run come from
// VARNIK_FUZZ_TRUSTED_ROOTS (PEM files separated by ":"), so inputs made
// from the test signatures reach the chain and revocation checks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/EmbeddedSignature.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

void TrustTheGivenRoots() {
  const char* roots = std::getenv("VARNIK_FUZZ_TRUSTED_ROOTS");
  if (!roots) return;
  const fs::path folder = fs::path(FuzzScratch::Instance().MachineRoot()) / "certificates";
  fs::create_directories(folder);
  std::istringstream list(roots);
  for (std::string file; std::getline(list, file, ':');) {
    if (!file.empty())
      fs::copy_file(file, folder / fs::path(file).filename(), fs::copy_options::overwrite_existing);
  }
}

bool IsDocumentedVerdict(HResult result) {
  for (HResult known :
       {kSOk, kTrustENoSignature, kTrustESubjectFormUnknown, kTrustEBadDigest, kTrustENoSignerCert,
        kTrustECertSignature, kTrustEBasicConstraints, kTrustEFail, kCertEExpired,
        kCertEUntrustedRoot, kCertEChaining, kCertERevoked, kCertEWrongUsage, kNteBadAlgId}) {
    if (result == known) return true;
  }
  return false;
}

// The steps CSignedCode takes to name the signer; false at the first that fails.
bool SignerNamed(const WideString& path) {
  EmbeddedSignatureQuery query;
  uint32_t size = 0;
  if (!query.QueryObject(path)) {
    FUZZ_CHECK(query.LastError() == static_cast<uint32_t>(kCryptENoMatch));
    return false;
  }
  if (!query.GetSignerInfoSize(size)) return false;
  std::vector<uint8_t> signerInfo(size);
  if (!query.GetSignerInfo(signerInfo.data(), size)) return false;
  if (!query.FindSignerCertificate(signerInfo.data())) return false;
  const uint32_t needed = query.GetSimpleDisplayName(nullptr, 0);
  FUZZ_CHECK(needed >= 1);
  std::vector<char> name(needed);
  FUZZ_CHECK(query.GetSimpleDisplayName(name.data(), needed) == needed);
  FUZZ_CHECK(name.back() == '\0');
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool rootsReady = (TrustTheGivenRoots(), true);
  (void)rootsReady;
  const std::string hostPath = FuzzScratch::Instance().WriteFile("subject.bin", BytesOf(data, size));

  TrustFileRequest request;
  request.path = ToWideString(hostPath);
  // Each revocation choice the core can make, picked by the input's length.
  static const uint32_t kRevocationChoices[] = {kWtdRevocationCheckNone, kWtdRevocationCheckEndCert,
                                                kWtdRevocationCheckChain,
                                                kWtdRevocationCheckChainExcludeRoot};
  request.revocationChecks = kWtdRevokeWholeChain;
  request.providerFlags = kRevocationChoices[size % 4];
  const HResult verdict = VerifyTrustOfFile(request);
  FUZZ_CHECK(IsDocumentedVerdict(verdict));

  const bool named = SignerNamed(request.path);
  if (verdict == kSOk) FUZZ_CHECK(named);
  return 0;
}
