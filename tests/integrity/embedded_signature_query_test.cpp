// The signature query's answers on both ports: buffer sizes and the
// signer's name as the CryptoAPI calls give them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/EmbeddedSignature.h"
#include "signing_fixtures.h"

namespace {

class EmbeddedSignatureQueryTest : public MachineTest {};

TEST_F(EmbeddedSignatureQueryTest, SignerInfoSizeAndName) {
  platform::EmbeddedSignatureQuery query;
  ASSERT_TRUE(query.QueryObject(platform::ToWideString(StageFixture(machine_, "signed.exe"))));
  uint32_t size = 0;
  ASSERT_TRUE(query.GetSignerInfoSize(size));
  std::vector<unsigned char> signerInfo(size);
  uint32_t tooSmall = size - 1;
  EXPECT_FALSE(query.GetSignerInfo(signerInfo.data(), tooSmall));
  EXPECT_EQ(static_cast<uint32_t>(platform::kErrorMoreData), query.LastError());
  ASSERT_TRUE(query.GetSignerInfo(signerInfo.data(), size));
  ASSERT_TRUE(query.FindSignerCertificate(signerInfo.data()));

  EXPECT_EQ(12u, query.GetSimpleDisplayName(nullptr, 0));  // "Nordak Labs" and its zero
  char name[32];
  EXPECT_EQ(12u, query.GetSimpleDisplayName(name, sizeof(name)));
  EXPECT_STREQ("Nordak Labs", name);
}

}  // namespace
