// The simple display name the posix port gives a signer certificate, as
// CertGetNameStringA(CERT_NAME_SIMPLE_DISPLAY_TYPE) does, and the posix
// query object's guard against misuse.
#include <gtest/gtest.h>

#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/EmbeddedSignature.h"
#include "platform/posix/authenticode_name.h"
#include "platform/posix/authenticode_openssl.h"
#include "signing_fixtures.h"

namespace {

using platform::posix::authenticode::SimpleDisplayName;
using platform::posix::authenticode::X509Ptr;
using Attributes = std::vector<std::pair<int, std::string>>;

struct AlternativeNames {
  std::vector<std::string> emails;
  Attributes directoryName;
};

void AddEntries(X509_NAME* name, const Attributes& attributes) {
  for (const auto& [nid, value] : attributes) {
    X509_NAME_add_entry_by_NID(name, nid, MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1, 0);
  }
}

X509Ptr Certificate(const Attributes& subject, const AlternativeNames& alternatives = {}) {
  X509Ptr certificate(X509_new());
  AddEntries(X509_get_subject_name(certificate.get()), subject);
  GENERAL_NAMES* names = sk_GENERAL_NAME_new_null();
  if (!alternatives.directoryName.empty()) {
    GENERAL_NAME* entry = GENERAL_NAME_new();
    X509_NAME* directory = X509_NAME_new();
    AddEntries(directory, alternatives.directoryName);
    GENERAL_NAME_set0_value(entry, GEN_DIRNAME, directory);
    sk_GENERAL_NAME_push(names, entry);
  }
  for (const std::string& email : alternatives.emails) {
    GENERAL_NAME* entry = GENERAL_NAME_new();
    ASN1_IA5STRING* text = ASN1_IA5STRING_new();
    ASN1_STRING_set(text, email.data(), static_cast<int>(email.size()));
    GENERAL_NAME_set0_value(entry, GEN_EMAIL, text);
    sk_GENERAL_NAME_push(names, entry);
  }
  if (sk_GENERAL_NAME_num(names) > 0) X509_add1_ext_i2d(certificate.get(), NID_subject_alt_name, names, 0, 0);
  GENERAL_NAMES_free(names);
  return certificate;
}

TEST(SimpleDisplayNameTest, PreferredAttributeOfTheSubject) {
  EXPECT_EQ("Nordak Labs",
            SimpleDisplayName(Certificate({{NID_organizationName, "Nordak Labs Inc."},
                                           {NID_commonName, "Nordak Labs"}}).get()));
  // The organizational unit comes before the organization, whatever their order.
  EXPECT_EQ("Signing", SimpleDisplayName(Certificate({{NID_countryName, "DE"},
                                                      {NID_organizationName, "Nordak Labs GmbH"},
                                                      {NID_organizationalUnitName, "Signing"}}).get()));
  EXPECT_EQ("Nordak Labs GmbH",
            SimpleDisplayName(Certificate({{NID_countryName, "DE"}, {NID_organizationName, "Nordak Labs GmbH"}}).get()));
  EXPECT_EQ("sign@nordak.example",
            SimpleDisplayName(Certificate({{NID_countryName, "DE"},
                                           {NID_pkcs9_emailAddress, "sign@nordak.example"}}).get()));
  EXPECT_EQ("First", SimpleDisplayName(Certificate({{NID_commonName, "First"}, {NID_commonName, "Second"}}).get()));
}

TEST(SimpleDisplayNameTest, AlternativeNamesAndFallbacks) {
  // No preferred attribute: an e-mail alternative name beats the first attribute.
  EXPECT_EQ("alt@nordak.example",
            SimpleDisplayName(Certificate({{NID_countryName, "DE"}}, {{"alt@nordak.example"}, {}}).get()));
  EXPECT_EQ("DE", SimpleDisplayName(Certificate({{NID_countryName, "DE"}, {NID_localityName, "Kiel"}}).get()));
  // An empty subject borrows the directory name of the alternative names.
  EXPECT_EQ("Directory Signer",
            SimpleDisplayName(Certificate({}, {{"alt@nordak.example"},
                                               {{NID_commonName, "Directory Signer"}}}).get()));
  EXPECT_EQ("alt@nordak.example", SimpleDisplayName(Certificate({}, {{"alt@nordak.example"}, {}}).get()));
  EXPECT_EQ("", SimpleDisplayName(Certificate({}).get()));
}

TEST(SimpleDisplayNameTest, WideStringsBecomeUtf8) {
  X509Ptr certificate(X509_new());
  // "Nordak Läbs" as a BMPString (UTF-16 big-endian).
  const unsigned char bmp[] = {0, 'N', 0, 'o', 0, 'r', 0, 'd', 0, 'a', 0, 'k', 0, ' ',
                               0, 'L', 0, 0xE4, 0, 'b', 0, 's'};
  X509_NAME_add_entry_by_NID(X509_get_subject_name(certificate.get()), NID_commonName, V_ASN1_BMPSTRING,
                             bmp, sizeof(bmp), -1, 0);
  EXPECT_EQ("Nordak L\xC3\xA4" "bs", SimpleDisplayName(certificate.get()));
}

class EmbeddedSignatureQueryPosixTest : public MachineTest {};

// The buffer handed to FindSignerCertificate must be what GetSignerInfo
// wrote; the posix port checks that instead of trusting it.
TEST_F(EmbeddedSignatureQueryPosixTest, CallsOutOfOrderFailInsteadOfCrashing) {
  platform::EmbeddedSignatureQuery query;
  uint32_t size = 0;
  EXPECT_FALSE(query.GetSignerInfoSize(size));
  EXPECT_FALSE(query.FindSignerCertificate(nullptr));
  EXPECT_EQ(0u, query.GetSimpleDisplayName(nullptr, 0));

  ASSERT_TRUE(query.QueryObject(platform::ToWideString(StageFixture(machine_, "signed.cab"))));
  const unsigned char notTheSignerInfo[16] = {};
  EXPECT_FALSE(query.FindSignerCertificate(notTheSignerInfo));
}

}  // namespace
