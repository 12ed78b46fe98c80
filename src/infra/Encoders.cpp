#include "infra/Encoders.h"

#include <cctype>
#include <cstdint>

#include "infra/SimpleLogger.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 76;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Base64EncodedLength(size_t inputLength, size_t& outputLength) {
  const uint64_t groups = (static_cast<uint64_t>(inputLength) + 2) / 3;
  const uint64_t characters = groups * 4;
  if (characters > INT32_MAX) return false;
  const uint64_t lineBreaks = characters == 0 ? 0 : (characters - 1) / kLineLength;
  const uint64_t total = characters + 2 * lineBreaks;
  if (total > INT32_MAX) return false;
  outputLength = static_cast<size_t>(total);
  return true;
}

platform::HResult Base64Encode(const std::vector<uint8_t>& bytes, std::string& text) {
  size_t length = 0;
  if (!Base64EncodedLength(bytes.size(), length)) return platform::kEFail;
  text.clear();
  text.reserve(length);
  size_t column = 0;
  auto put = [&](char c) {
    if (column == kLineLength) {
      text += "\r\n";
      column = 0;
    }
    text += c;
    ++column;
  };
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t count = bytes.size() - i < 3 ? bytes.size() - i : 3;
    uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
    if (count > 1) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    if (count > 2) group |= bytes[i + 2];
    put(kAlphabet[(group >> 18) & 0x3F]);
    put(kAlphabet[(group >> 12) & 0x3F]);
    put(count > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=');
    put(count > 2 ? kAlphabet[group & 0x3F] : '=');
  }
  return platform::kSOk;
}

size_t ConvertHexStringToHexByteArray(const std::string& hex, HexByteBuffer& buffer) {
  static const char kLocation[] = "ConvertHexStringToHexByteArray";
  if (hex.size() / 2 >= buffer.size()) {
    SimpleLogger::GetInstance()->Error(kLocation,
                                       "Can't convert string to buffer. Provided buffer too small");
    return 0;
  }
  if (hex.size() % 2 != 0) {
    SimpleLogger::GetInstance()->Error(kLocation,
                                       "Can't convert string to buffer. Input length should be even.");
    return 0;
  }
  // A pair that is not hexadecimal refuses the whole text rather than
  // producing a byte nobody asked for.
  for (char c : hex) {
    if (HexDigitValue(c) < 0) {
      SimpleLogger::GetInstance()->Error(
          kLocation, "Can't convert string to buffer. Input is not hexadecimal.");
      return 0;
    }
  }
  const size_t count = hex.size() / 2;
  for (size_t i = 0; i < count; ++i)
    buffer[i] = static_cast<uint8_t>(HexDigitValue(hex[2 * i]) * 16 + HexDigitValue(hex[2 * i + 1]));
  SimpleLogger::GetInstance()->Info(kLocation, "Hexa string successfully converted to binary array.");
  return count;
}
