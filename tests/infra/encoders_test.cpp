#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "infra/Encoders.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Encode(const std::vector<uint8_t>& bytes) {
  std::string text = "left over";
  EXPECT_EQ(platform::kSOk, Base64Encode(bytes, text));
  return text;
}

}  // namespace

TEST(Base64Encode, PadsPartialGroupsAsRfc2045Requires) {
  const char* const encoded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (size_t length = 0; length <= 6; ++length)
    EXPECT_EQ(encoded[length], Encode(Bytes(std::string("foobar", length))));
  EXPECT_EQ("AP+A", Encode({0x00, 0xFF, 0x80}));
}

TEST(Base64Encode, BreaksLinesAfterEvery76Characters) {
  const std::string oneLine = Encode(std::vector<uint8_t>(57, 'a'));
  EXPECT_EQ(76u, oneLine.size());
  EXPECT_EQ(std::string::npos, oneLine.find('\r'));

  // Exactly two full lines: one break between them, none after the last.
  const std::string twoLines = Encode(std::vector<uint8_t>(114, 'a'));
  ASSERT_EQ(76u + 2 + 76, twoLines.size());
  EXPECT_EQ("\r\n", twoLines.substr(76, 2));
  EXPECT_NE('\n', twoLines.back());

  size_t length = 0;
  ASSERT_TRUE(Base64EncodedLength(114, length));
  EXPECT_EQ(twoLines.size(), length);
}

TEST(Base64Encode, RefusesOutputBeyond31Bits) {
  size_t length = 0;
  EXPECT_TRUE(Base64EncodedLength(1000, length));
  // 3 * 2^29 bytes would need 2^31 characters before any line break.
  EXPECT_FALSE(Base64EncodedLength(size_t{3} << 29, length));
  // Fits as characters, but not once the line breaks are added.
  EXPECT_FALSE(Base64EncodedLength((size_t{3} << 29) - 3000000, length));
}

TEST(ConvertHexStringToHexByteArray, ReadsPairsInEitherCase) {
  DebugOutputCapture debug;
  HexByteBuffer buffer{};
  ASSERT_EQ(2u, ConvertHexStringToHexByteArray("0A1b", buffer));
  EXPECT_EQ(0x0A, buffer[0]);
  EXPECT_EQ(0x1B, buffer[1]);
  EXPECT_TRUE(debug.Contains(
      "ZEL\tINFO\tConvertHexStringToHexByteArray\tHexa string successfully converted to binary "
      "array.\t"));
}

TEST(ConvertHexStringToHexByteArray, RefusesOddOversizedAndNonHexText) {
  DebugOutputCapture debug;
  HexByteBuffer buffer{};
  buffer.fill(0x5A);
  EXPECT_EQ(0u, ConvertHexStringToHexByteArray("ABC", buffer));
  EXPECT_TRUE(debug.Contains(
      "ZEL\tERROR\tConvertHexStringToHexByteArray\tCan't convert string to buffer. Input length "
      "should be even.\t"));

  EXPECT_EQ(0u, ConvertHexStringToHexByteArray(std::string(2048, 'f'), buffer));
  EXPECT_TRUE(debug.Contains(
      "ZEL\tERROR\tConvertHexStringToHexByteArray\tCan't convert string to buffer. Provided "
      "buffer too small\t"));
  // An over-long odd text is refused for its size first.
  EXPECT_EQ(0u, ConvertHexStringToHexByteArray(std::string(4001, 'f'), buffer));

  EXPECT_EQ(0u, ConvertHexStringToHexByteArray("0g", buffer));
  EXPECT_EQ(0u, ConvertHexStringToHexByteArray("1 ", buffer));
  EXPECT_EQ(0x5A, buffer[0]) << "a refused text must not be half-written";

  // The largest text that fits.
  EXPECT_EQ(1023u, ConvertHexStringToHexByteArray(std::string(2046, 'e'), buffer));
  EXPECT_EQ(0xEE, buffer[1022]);
}
