// The posix port's answers where Wine's verifier is laxer than Windows:
// trust, validity, usage, revocation and cabinet digests.
#include <gtest/gtest.h>

#include <string>

#include "debug_output_capture.h"
#include "infra/SimpleLogger.h"
#include "integrity/CSignedCode.h"
#include "platform/EmbeddedSignature.h"
#include "signing_fixtures.h"

namespace {

constexpr char kSignature[] = "VerifyEmbeddedSignature";
constexpr char kNoPrompt[] = "No trust prompt on this platform; verifying without one.";

class SignedCodePosixTest : public MachineTest {
 protected:
  platform::HResult Check(const std::string& fixture, bool cancelCrlCheck = false) {
    CSignedCode checker(cancelCrlCheck);
    const int valid = checker.CheckObjectSignature(StageFixture(machine_, fixture), false);
    EXPECT_EQ(valid != 0, checker.LastResult() == platform::kSOk) << fixture;
    return checker.LastResult();
  }
};

TEST_F(SignedCodePosixTest, TrustComesFromTheMachineRootCertificates) {
  EXPECT_EQ(platform::kCertEChaining, Check("signed.exe"));
  EXPECT_EQ(platform::kCertEChaining, Check("signed.cab"));
  TrustedTestRoot trust;
  EXPECT_EQ(platform::kSOk, Check("signed.exe"));
  EXPECT_EQ(platform::kSOk, Check("signed.cab"));
  // The issuer is nowhere to be found: no chain to a trusted root.
  EXPECT_EQ(platform::kCertEChaining, Check("untrusted.exe"));
  EXPECT_EQ(platform::kCertEChaining, Check("untrusted.cab"));
  // The chain ends in a root the machine does not trust.
  EXPECT_EQ(platform::kCertEUntrustedRoot, Check("untrusted-chain.exe"));
  EXPECT_EQ(platform::kCertEUntrustedRoot, Check("self-signed.exe"));
}

TEST_F(SignedCodePosixTest, CertificateMustBeValidNowAndForCodeSigning) {
  TrustedTestRoot trust;
  EXPECT_EQ(platform::kCertEExpired, Check("expired.exe"));
  EXPECT_EQ(platform::kCertEWrongUsage, Check("server-usage.exe"));
}

// A trusted timestamp moves the judgement to the moment of signing.
TEST_F(SignedCodePosixTest, TimestampFromWhileTheCertificateWasValid) {
  TrustedTestRoot trust;
  EXPECT_EQ(platform::kSOk, Check("timestamped.exe"));
  EXPECT_EQ(platform::kSOk, Check("expired-timestamped.exe"));
  EXPECT_EQ(platform::kCertEExpired, Check("expired-late-timestamp.exe"));
  // A timestamp nobody trusts is no timestamp.
  EXPECT_EQ(platform::kCertEExpired, Check("expired-untrusted-tsa.exe"));
  // Lifetime signing: the certificate must be valid now, timestamp or not.
  EXPECT_EQ(platform::kCertEExpired, Check("expired-lifetime.exe"));
}

TEST_F(SignedCodePosixTest, RevokedCertificateIsRefusedUnlessCrlCheckIsCancelledOrNoCrlIsKnown) {
  {
    TrustedTestRoot withoutCrl(false);
    EXPECT_EQ(platform::kSOk, Check("revoked.exe"));
  }
  TrustedTestRoot trust(true);
  EXPECT_EQ(platform::kCertERevoked, Check("revoked.exe"));
  EXPECT_EQ(platform::kSOk, Check("revoked.exe", true));
  // The CRL does not touch certificates it does not list.
  EXPECT_EQ(platform::kSOk, Check("signed.exe"));
}

TEST_F(SignedCodePosixTest, PromptIsOnlyWantedForOtherPublishersWhenAllowed) {
  TrustedTestRoot trust;
  struct Case {
    const char* fixture;
    bool allowTrustUi;
    bool promptWanted;
  };
  const Case cases[] = {
      {"contoso.exe", true, true},
      {"nordak-lower.exe", true, true},
      {"contoso.exe", false, false},
      {"signed.exe", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + (c.allowTrustUi ? " allowed" : " not allowed"));
    const std::string path = StageFixture(machine_, c.fixture);
    CSignedCode checker(false);
    DebugOutputCapture capture;
    EXPECT_NE(0, checker.CheckObjectSignature(path, c.allowTrustUi));
    EXPECT_EQ(c.promptWanted, capture.Contains(LogLine("INFO", kSignature, kNoPrompt)));
  }
}

TEST_F(SignedCodePosixTest, MissingFileOrFolderIsReportedAsCreateFileWould) {
  DebugOutputCapture capture;
  CSignedCode checker(false);
  EXPECT_EQ(0, checker.CheckObjectSignature(machine_.ScratchFolder() + "\\absent.cab", false));
  EXPECT_TRUE(capture.Contains(
      LogLine("WARNING", "VerifyEmbeddedCertificate", "CryptQueryObject failed with 0x2")));
  EXPECT_EQ(0, checker.CheckObjectSignature("C:\\absent\\setup.cab", false));
  EXPECT_TRUE(capture.Contains(
      LogLine("WARNING", "VerifyEmbeddedCertificate", "CryptQueryObject failed with 0x3")));
  EXPECT_EQ(platform::kTrustENoSignature, checker.LastResult());
}

TEST_F(SignedCodePosixTest, NeitherProgramNorCabinetIsAnUnknownSubject) {
  const std::string path = StageFixture(machine_, "plain.txt");
  platform::TrustFileRequest request;
  request.path = platform::ToWideString(path);
  EXPECT_EQ(platform::kTrustESubjectFormUnknown, platform::VerifyTrustOfFile(request));
  request.path = platform::ToWideString(StageFixture(machine_, "unsigned.cab"));
  EXPECT_EQ(platform::kTrustENoSignature, platform::VerifyTrustOfFile(request));
}

}  // namespace
