// The posix port's verdicts against a verifier nobody here wrote:
// "osslsigncode verify" with the same trusted CA and CRL.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "integrity/CSignedCode.h"
#include "platform/FileSystem.h"
#include "signing_fixtures.h"

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// osslsigncode's own verdict: exit status 0 for a good signature.
bool PeerAccepts(const std::string& file) {
  const std::string ca = Quoted(FixturePath("pki/ca.pem"));
  const std::string command = "osslsigncode verify -CAfile " + ca + " -TSA-CAfile " + ca +
                              " -CRLfile " + Quoted(FixturePath("pki/crl.pem")) + " -in " +
                              Quoted(file) + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status)) << command;
  EXPECT_NE(127, WEXITSTATUS(status)) << "osslsigncode is not installed";
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class OsslsigncodeCrossCheckTest : public MachineTest {
 protected:
  TrustedTestRoot trust_{true};
};

TEST_F(OsslsigncodeCrossCheckTest, SameVerdictForEveryFixture) {
  const char* fixtures[] = {
      "unsigned.exe",     "signed.exe",          "signed-sha1.exe", "signed32.dll",
      "unsigned32.dll",   "contoso.exe",         "nordak-lower.exe", "tampered.exe",
      "untrusted.exe",    "untrusted-chain.exe", "self-signed.exe", "expired.exe",
      "server-usage.exe", "revoked.exe",         "unsigned.cab",    "signed.cab",
      "contoso.cab",      "tampered.cab",        "untrusted.cab",   "plain.txt",
      "timestamped.exe",  "expired-timestamped.exe", "expired-late-timestamp.exe",
      "expired-untrusted-tsa.exe",
  };
  int accepted = 0;
  for (const char* fixture : fixtures) {
    CSignedCode checker(false);
    const bool ours = checker.CheckObjectSignature(StageFixture(machine_, fixture), false) != 0;
    const bool peer = PeerAccepts(FixturePath(fixture));
    EXPECT_EQ(peer, ours) << fixture << " (our result 0x" << std::hex << checker.LastResult() << ")";
    accepted += ours ? 1 : 0;
  }
  // Both verdicts occur, so agreement is not agreement on one answer.
  EXPECT_EQ(9, accepted);
}

TEST_F(OsslsigncodeCrossCheckTest, SameVerdictForChangedBytes) {
  const std::vector<unsigned char> image = ReadFileBytes(FixturePath("signed.exe"));
  const std::vector<unsigned char> cabinet = ReadFileBytes(FixturePath("signed.cab"));
  int index = 0;
  for (const auto* original : {&image, &cabinet}) {
    for (size_t offset = 0; offset < original->size(); offset += original->size() / 11 + 1) {
      std::vector<unsigned char> changed = *original;
      changed[offset] ^= 0x20;
      const std::string path = machine_.ScratchFolder() + "\\changed" + std::to_string(index++) +
                               (original == &image ? ".exe" : ".cab");
      WriteFileBytes(path, changed);
      CSignedCode checker(false);
      const bool ours = checker.CheckObjectSignature(path, false) != 0;
      EXPECT_EQ(PeerAccepts(platform::ToNativePath(path)), ours) << path << " offset " << offset;
    }
  }
}

}  // namespace
