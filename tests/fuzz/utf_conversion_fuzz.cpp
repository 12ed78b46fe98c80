// UTF-8 and UTF-16: any bytes convert both ways; well-formed text comes
// back unchanged, and what comes out is always well-formed. Well-formedness
// is judged here independently of the converter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/EmbeddedSignature.h"
#include "platform/posix/wide_text.h"

using platform::WideString;
using platform::posix::ToUtf8;
using platform::posix::Utf16LeToUtf8;
using platform::posix::Utf8ToUtf16Le;

namespace {

// Unicode's table of well-formed UTF-8 byte sequences.
bool IsWellFormedUtf8(const std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto at = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = at(i);
    size_t length = 1;
    uint8_t low = 0x80, high = 0xBF;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    else return false;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (text.size() - i < length) return false;
    if (at(i + 1) < low || at(i + 1) > high) return false;
    for (size_t k = 2; k < length; ++k) {
      if (at(i + k) < 0x80 || at(i + k) > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

// Every high surrogate followed by a low one, and no low one alone.
bool IsWellFormedUtf16(const WideString& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

std::string LittleEndianBytes(const WideString& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

WideString FromLittleEndian(const std::string& bytes) {
  WideString text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                  static_cast<uint8_t>(bytes[i + 1]) << 8);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = BytesOf(data, size);

  // The bytes as UTF-8.
  const WideString wide = platform::ToWideString(bytes);
  FUZZ_CHECK(IsWellFormedUtf16(wide));
  FUZZ_CHECK(LittleEndianBytes(wide) == Utf8ToUtf16Le(bytes));
  const std::string back = ToUtf8(wide);
  FUZZ_CHECK(IsWellFormedUtf8(back));
  if (IsWellFormedUtf8(bytes)) FUZZ_CHECK(back == bytes);

  // The bytes as UTF-16LE.
  std::string text;
  const bool even = size % 2 == 0;
  FUZZ_CHECK(Utf16LeToUtf8(bytes, text) == even);
  if (!even) return 0;
  FUZZ_CHECK(IsWellFormedUtf8(text));
  FUZZ_CHECK(text == ToUtf8(FromLittleEndian(bytes)));
  if (IsWellFormedUtf16(FromLittleEndian(bytes))) FUZZ_CHECK(Utf8ToUtf16Le(text) == bytes);
  return 0;
}
