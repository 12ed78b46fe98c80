#include "platform/posix/wide_text.h"

#include "infra/LittleEndian.h"

#include <cstdint>
#include <string>

namespace platform {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

// One code point from text at position, advancing position; a byte that
// does not start a well-formed sequence gives U+FFFD and is skipped alone.
uint32_t DecodeUtf8(const std::string& text, size_t& position) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(position);
  size_t length = 0;
  uint32_t codePoint = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead < 0x80) {
    ++position;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // overlong
    if (lead == 0xED) high = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // overlong
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF
  } else {
    ++position;
    return kReplacement;
  }
  if (text.size() - position < length) {
    ++position;
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = byte(position + i);
    const uint8_t min = i == 1 ? low : 0x80;
    const uint8_t max = i == 1 ? high : 0xBF;
    if (next < min || next > max) {
      ++position;
      return kReplacement;
    }
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  position += length;
  return codePoint;
}

}  // namespace

WideString ToWideString(const std::string& text) {
  WideString wide;
  wide.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) {
    const uint32_t codePoint = DecodeUtf8(text, position);
    if (codePoint >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<char16_t>(codePoint);
    }
  }
  return wide;
}

namespace posix {

std::string ToUtf8(const WideString& text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const uint32_t first = text[i];
    if (first >= 0xD800 && first <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(utf8, 0x10000 + ((first - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (first >= 0xD800 && first <= 0xDFFF) {
      AppendUtf8(utf8, kReplacement);
    } else {
      AppendUtf8(utf8, first);
    }
  }
  return utf8;
}

bool Utf16LeToUtf8(const std::string& bytes, std::string& text) {
  if (bytes.size() % 2 != 0) return false;
  WideString wide(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(
        ReadLe16(reinterpret_cast<const unsigned char*>(bytes.data()) + 2 * i));
  }
  text = ToUtf8(wide);
  return true;
}

std::string Utf8ToUtf16Le(const std::string& text) {
  const WideString wide = ToWideString(text);
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (const char16_t unit : wide) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

}  // namespace posix
}  // namespace platform
