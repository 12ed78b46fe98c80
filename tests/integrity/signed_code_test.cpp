// What CSignedCode answers for the fixtures on both ports. Only verdicts
// real Windows and Wine agree on are asserted here; the posix port's finer
// answers are in signed_code_posix_test.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "infra/SimpleLogger.h"
#include "integrity/CSignedCode.h"
#include "platform/EmbeddedSignature.h"
#include "signing_fixtures.h"

namespace {

constexpr char kCheck[] = "CSignedCode::CheckObjectSignature";
constexpr char kCertificate[] = "VerifyEmbeddedCertificate";
constexpr char kSignature[] = "VerifyEmbeddedSignature";

// The logger's reports, without its own start-up notes.
std::vector<std::string> Reports(const DebugOutputCapture& capture) {
  std::vector<std::string> reports;
  for (const std::string& line : capture.Lines()) {
    if (line.rfind("ZEL\t", 0) == 0) reports.push_back(line);
  }
  return reports;
}

class SignedCodeTest : public MachineTest {
 protected:
  TrustedTestRoot trust_;
  CSignedCode checker_{false};
};

TEST_F(SignedCodeTest, UnsignedFilesAreRefusedWithoutReachingTheTrustVerifier) {
  for (const char* name : {"unsigned.exe", "unsigned32.dll", "unsigned.cab", "plain.txt"}) {
    SCOPED_TRACE(name);
    const std::string path = StageFixture(machine_, name);
    DebugOutputCapture capture;
    EXPECT_EQ(0, checker_.CheckObjectSignature(path, true));
    EXPECT_EQ(platform::kTrustENoSignature, checker_.LastResult());
    EXPECT_TRUE(capture.Contains(LogLine("INFO", kCheck, "Processing:" + path)));
    EXPECT_TRUE(capture.Mentions(LogPrefix("WARNING", kCertificate, "CryptQueryObject failed with 0x")));
    EXPECT_TRUE(capture.Contains(LogLine(
        "WARNING", kCheck, "Unable to validate certificate or certificate not found for:" + path)));
    EXPECT_FALSE(capture.Mentions(LogPrefix("INFO", kSignature, "")));
  }
}

TEST_F(SignedCodeTest, FilesSignedByTheMakerPass) {
  for (const char* name : {"signed.exe", "signed-sha1.exe", "signed32.dll", "timestamped.exe", "signed.cab"}) {
    SCOPED_TRACE(name);
    const std::string path = StageFixture(machine_, name);
    DebugOutputCapture capture;
    EXPECT_NE(0, checker_.CheckObjectSignature(path, true));
    EXPECT_EQ(platform::kSOk, checker_.LastResult());
    const std::vector<std::string> expected = {
        LogLine("INFO", kCheck, "Processing:" + path),
        LogLine("INFO", kCertificate, "Completed. Certificate is valid. Certificate issued to QX 1"),
        LogLine("INFO", kSignature, "Completed with result 0x0"),
        LogLine("INFO", kCheck, "Verification completed for:" + path),
    };
    EXPECT_EQ(expected, Reports(capture));
  }
}

// The list only decides about the trust prompt: other publishers pass too.
TEST_F(SignedCodeTest, OtherPublishersPassWithoutBeingAccepted) {
  for (const char* name : {"contoso.exe", "nordak-lower.exe", "contoso.cab"}) {
    SCOPED_TRACE(name);
    const std::string path = StageFixture(machine_, name);
    DebugOutputCapture capture;
    EXPECT_NE(0, checker_.CheckObjectSignature(path, false));
    EXPECT_EQ(platform::kSOk, checker_.LastResult());
    EXPECT_TRUE(capture.Contains(
        LogLine("INFO", kCertificate, "Completed. Certificate is valid. Certificate issued to QX 0")));
  }
}

TEST_F(SignedCodeTest, ChangedProgramByteFailsTheDigest) {
  const std::string path = StageFixture(machine_, "tampered.exe");
  DebugOutputCapture capture;
  EXPECT_EQ(0, checker_.CheckObjectSignature(path, false));
  EXPECT_EQ(platform::kTrustEBadDigest, checker_.LastResult());
  // The signer certificate itself is intact and readable.
  EXPECT_TRUE(capture.Contains(
      LogLine("INFO", kCertificate, "Completed. Certificate is valid. Certificate issued to QX 1")));
  EXPECT_TRUE(capture.Contains(LogLine("INFO", kSignature, "Completed with result 0x80096010")));
  EXPECT_TRUE(capture.Contains(LogLine("INFO", kCheck, "Verification completed for:" + path)));
}

TEST_F(SignedCodeTest, LastResultStartsOverWithEveryCheck) {
  const std::string tampered = StageFixture(machine_, "tampered.exe");
  const std::string unsignedFile = StageFixture(machine_, "unsigned.exe");
  const std::string signedFile = StageFixture(machine_, "signed.exe");
  EXPECT_EQ(0, checker_.CheckObjectSignature(tampered, false));
  EXPECT_EQ(platform::kTrustEBadDigest, checker_.LastResult());
  EXPECT_EQ(0, checker_.CheckObjectSignature(unsignedFile, false));
  EXPECT_EQ(platform::kTrustENoSignature, checker_.LastResult());
  EXPECT_NE(0, checker_.CheckObjectSignature(signedFile, false));
  EXPECT_EQ(platform::kSOk, checker_.LastResult());
  EXPECT_EQ(0, checker_.CheckObjectSignature(unsignedFile, false));
  EXPECT_EQ(platform::kTrustENoSignature, checker_.LastResult());
}

TEST_F(SignedCodeTest, MissingFileIsRefused) {
  const std::string path = machine_.ScratchFolder() + "\\no-such-file.exe";
  EXPECT_EQ(0, checker_.CheckObjectSignature(path, false));
  EXPECT_EQ(platform::kTrustENoSignature, checker_.LastResult());
}

}  // namespace
