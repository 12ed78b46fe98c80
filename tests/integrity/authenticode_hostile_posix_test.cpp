// Every byte of a downloaded file is untrusted: broken headers, signature
// locations out of bounds, garbage signatures and transplanted parts must
// end in a failure code, never in a crash or a pass.
#include <gtest/gtest.h>

#include <openssl/asn1.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "infra/LittleEndian.h"
#include "infra/SimpleLogger.h"
#include "integrity/CSignedCode.h"
#include "platform/EmbeddedSignature.h"
#include "platform/FileSystem.h"
#include "signing_fixtures.h"

namespace {

using Bytes = std::vector<unsigned char>;

uint16_t Le16(const Bytes& bytes, size_t offset) {
  uint16_t value = 0;
  EXPECT_TRUE(ReadLe16(bytes.data(), bytes.size(), offset, value)) << offset;
  return value;
}

uint32_t Le32(const Bytes& bytes, size_t offset) {
  uint32_t value = 0;
  EXPECT_TRUE(ReadLe32(bytes.data(), bytes.size(), offset, value)) << offset;
  return value;
}

// Writes the low width bytes of value.
void PutLe(Bytes& bytes, size_t offset, uint32_t value, size_t width = 4) {
  for (size_t i = 0; i < width; ++i) bytes.at(offset + i) = static_cast<unsigned char>(value >> (8 * i));
}

// Where the fields of a PE image lie.
struct PeFields {
  explicit PeFields(const Bytes& image) {
    const size_t pe = Le32(image, 0x3C);
    optionalHeaderSize = pe + 4 + 16;
    optional = pe + 24;
    const bool plus = Le16(image, optional) == 0x20B;
    checksum = optional + 64;
    directoryCount = optional + (plus ? 108 : 92);
    security = optional + (plus ? 112 : 96) + 4 * 8;
    table = Le32(image, security);
    tableSize = Le32(image, security + 4);
    headersEnd = optional + Le16(image, optionalHeaderSize) + 40 * Le16(image, pe + 6);
  }
  size_t optionalHeaderSize, optional, checksum, directoryCount, security, table, tableSize;
  size_t headersEnd;  // end of the section table
};

// A PE image with its certificate table replaced by one holding der.
Bytes WithSignature(const Bytes& image, const Bytes& der) {
  const PeFields fields(image);
  Bytes result(image.begin(), image.begin() + static_cast<long>(fields.table));
  const size_t padded = (8 + der.size() + 7) / 8 * 8;
  const size_t start = result.size();
  result.resize(start + padded, 0);
  PutLe(result, start, static_cast<uint32_t>(8 + der.size()));
  PutLe(result, start + 4, 0x00020200);  // revision 2, PKCS signed data
  std::copy(der.begin(), der.end(), result.begin() + static_cast<long>(start + 8));
  PutLe(result, fields.security + 4, static_cast<uint32_t>(padded));
  return result;
}

// The DER of the signature, without the padding that follows it.
Bytes SignatureDer(const Bytes& image) {
  const PeFields fields(image);
  const auto begin = image.begin() + static_cast<long>(fields.table + 8);
  const unsigned char* cursor = &*begin;
  long length = 0;
  int tag = 0, objectClass = 0;
  ASN1_get_object(&cursor, &length, &tag, &objectClass, static_cast<long>(Le32(image, fields.table) - 8));
  const long header = cursor - &*begin;
  return Bytes(begin, begin + header + length);
}

class AuthenticodeHostileTest : public MachineTest {
 protected:
  // Host paths are used as they are, which keeps the many checks quick.
  platform::HResult Verify(const Bytes& bytes) {
    const std::string path = scratch_ + "/mutated.bin";
    // A new file rather than a truncated one: ext4 flushes a file that is
    // truncated and rewritten, which makes a thousand rewrites slow.
    std::remove(path.c_str());
    WriteFileBytes(path, bytes);
    platform::TrustFileRequest request;
    request.path = platform::ToWideString(path);
    request.providerFlags = platform::kWtdRevocationCheckChainExcludeRoot;
    return platform::VerifyTrustOfFile(request);
  }

  // The whole check: it must refuse, and agree with the trust verifier.
  void ExpectRefused(const Bytes& bytes, platform::HResult expected) {
    EXPECT_EQ(expected, Verify(bytes));
    CSignedCode checker(false);
    EXPECT_EQ(0, checker.CheckObjectSignature(scratch_ + "/mutated.bin", false));
  }

  TrustedTestRoot trust_;
  const std::string scratch_ = platform::ToNativePath(machine_.ScratchFolder());
  const Bytes image_ = ReadFileBytes(FixturePath("signed.exe"));
  const Bytes cabinet_ = ReadFileBytes(FixturePath("signed.cab"));
};

// Headers, the certificate table and the signature's DER out of bounds,
// inconsistent or of another kind.
TEST_F(AuthenticodeHostileTest, BrokenPeHeadersAndSignaturesAreNoSignature) {
  const PeFields fields(image_);
  const struct {
    const char* what;
    size_t offset;
    uint32_t value;
    size_t width;
  } cases[] = {
      {"PE header beyond the end", 0x3C, static_cast<uint32_t>(image_.size() + 100), 4},
      {"PE header offset wrapping", 0x3C, 0xFFFFFFF0u, 4},
      {"PE signature", Le32(image_, 0x3C), 0x00004550u + 1, 4},
      {"optional header larger than the file", fields.optionalHeaderSize, 0xFFFFu, 2},
      {"unknown optional header magic", fields.optional, 0x0107u, 2},
      {"no security directory", fields.directoryCount, 4, 4},
      {"table beyond the end", fields.security, static_cast<uint32_t>(image_.size()), 4},
      {"table offset wrapping", fields.security, 0xFFFFFFF8u, 4},
      {"table inside the headers", fields.security, 0x40, 4},
      {"table size beyond the end", fields.security + 4, static_cast<uint32_t>(fields.tableSize + 8), 4},
      {"certificate length beyond the table", fields.table, 0xFFFFFFFFu, 4},
      {"certificate length below its header", fields.table, 4, 4},
      {"X.509 certificate instead of signed data", fields.table + 6, 0x0001, 2},
      {"garbage instead of DER", fields.table + 8, 0xFFFFFFFFu, 4},
      {"DER length beyond the table", fields.table + 10, 0xFF7F, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes mutated = image_;
    PutLe(mutated, c.offset, c.value, c.width);
    ExpectRefused(mutated, platform::kTrustENoSignature);
  }
}

TEST_F(AuthenticodeHostileTest, TruncatedFilesNeverPass) {
  for (size_t cut = 0; cut < image_.size(); cut += 211) {
    SCOPED_TRACE(cut);
    const Bytes truncated(image_.begin(), image_.begin() + static_cast<long>(cut));
    EXPECT_NE(platform::kSOk, Verify(truncated));
  }
  for (size_t cut = 0; cut < cabinet_.size(); cut += 307) {
    SCOPED_TRACE(cut);
    const Bytes truncated(cabinet_.begin(), cabinet_.begin() + static_cast<long>(cut));
    EXPECT_NE(platform::kSOk, Verify(truncated));
  }
}

// The digest leaves out exactly the checksum field, the security directory
// entry and the certificate table: any other header byte counts.
TEST_F(AuthenticodeHostileTest, EveryHeaderByteButTheChecksumIsCovered) {
  const PeFields fields(image_);
  ASSERT_GT(fields.headersEnd, fields.security + 8);
  for (size_t offset = 0; offset < fields.headersEnd; ++offset) {
    Bytes mutated = image_;
    mutated[offset] ^= 0x01;
    const bool checksum = offset >= fields.checksum && offset < fields.checksum + 4;
    EXPECT_EQ(checksum, Verify(mutated) == platform::kSOk) << "offset " << offset;
  }
}

TEST_F(AuthenticodeHostileTest, BytesAppendedAfterTheSignatureChangeTheDigest) {
  Bytes appended = image_;
  appended.insert(appended.end(), {'J', 'U', 'N', 'K'});
  ExpectRefused(appended, platform::kTrustEBadDigest);
  Bytes appendedCabinet = cabinet_;
  appendedCabinet.insert(appendedCabinet.end(), {'J', 'U', 'N', 'K'});
  ExpectRefused(appendedCabinet, platform::kTrustEBadDigest);
}

TEST_F(AuthenticodeHostileTest, ChangedSignatureValueFailsTheSignature) {
  const Bytes der = SignatureDer(image_);
  Bytes forged = der;
  forged[forged.size() - 5] ^= 0x01;  // inside the signer's encrypted digest
  ExpectRefused(WithSignature(image_, forged), platform::kTrustEBadDigest);
}

TEST_F(AuthenticodeHostileTest, SignerCertificateMissingFromTheSignature) {
  const Bytes der = SignatureDer(image_);
  const unsigned char* cursor = der.data();
  PKCS7* message = d2i_PKCS7(nullptr, &cursor, static_cast<long>(der.size()));
  ASSERT_NE(nullptr, message);
  sk_X509_pop_free(message->d.sign->cert, X509_free);
  message->d.sign->cert = sk_X509_new_null();
  unsigned char* encoded = nullptr;
  const int length = i2d_PKCS7(message, &encoded);
  PKCS7_free(message);
  ASSERT_GT(length, 0);
  const Bytes stripped(encoded, encoded + length);
  OPENSSL_free(encoded);

  const std::string path = machine_.ScratchFolder() + "\\stripped.exe";
  WriteFileBytes(path, WithSignature(image_, stripped));
  DebugOutputCapture capture;
  CSignedCode checker(false);
  EXPECT_EQ(0, checker.CheckObjectSignature(path, false));
  EXPECT_EQ(platform::kTrustENoSignature, checker.LastResult());
  EXPECT_TRUE(capture.Contains(LogLine("WARNING", "VerifyEmbeddedCertificate",
                                       "CertFindCertificateInStore failed with 0x80092004")));
  EXPECT_EQ(platform::kTrustENoSignerCert, Verify(WithSignature(image_, stripped)));
}

TEST_F(AuthenticodeHostileTest, BrokenCabinetSignatureLocationIsNoSignature) {
  const struct {
    const char* what;
    size_t offset;
    uint32_t value;
  } cases[] = {
      {"signature beyond the end", 44, static_cast<uint32_t>(cabinet_.size() + 1)},
      {"signature offset wrapping", 44, 0xFFFFFFF0u},
      {"signature inside the header", 44, 8},
      {"signature size beyond the end", 48, static_cast<uint32_t>(cabinet_.size())},
      {"empty signature", 48, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes mutated = cabinet_;
    PutLe(mutated, c.offset, c.value);
    ExpectRefused(mutated, platform::kTrustENoSignature);
  }
  Bytes otherReserve = cabinet_;
  PutLe(otherReserve, 36, 24, 2);  // a reserved area that is no signature
  ExpectRefused(otherReserve, platform::kTrustENoSignature);
}

// Signing rewrites reserved1, iCabinet and the reserved area, so the digest
// leaves them out; the folder and file counts and the set id are covered.
TEST_F(AuthenticodeHostileTest, CabinetDigestCoverage) {
  for (size_t offset : {4u, 34u, 52u}) {
    Bytes mutated = cabinet_;
    mutated[offset] ^= 0x01;
    EXPECT_EQ(platform::kSOk, Verify(mutated)) << "offset " << offset;
  }
  for (size_t offset : {8u, 16u, 24u, 26u, 28u, 30u, 32u, 56u, 60u}) {
    Bytes mutated = cabinet_;
    mutated[offset] ^= 0x01;
    EXPECT_EQ(platform::kTrustEBadDigest, Verify(mutated)) << "offset " << offset;
  }
}

TEST_F(AuthenticodeHostileTest, ProgramSignatureTransplantedIntoACabinet) {
  const Bytes der = SignatureDer(image_);
  const size_t signatureOffset = Le32(cabinet_, 44);
  Bytes transplanted(cabinet_.begin(), cabinet_.begin() + static_cast<long>(signatureOffset));
  transplanted.insert(transplanted.end(), der.begin(), der.end());
  PutLe(transplanted, 48, static_cast<uint32_t>(der.size()));
  ExpectRefused(transplanted, platform::kTrustEBadDigest);
}

}  // namespace
