#include "install/RegistryFileText.h"

#include <fstream>
#include <iterator>

#include "infra/LittleEndian.h"
#include "infra/StringHelpers.h"
#include "platform/EmbeddedSignature.h"
#include "platform/FileSystem.h"

namespace {

constexpr char kUtf16LeMark[] = "\xFF\xFE";

// Lines end at LF; the CR of a CR LF is dropped. A last line without a line
// end still counts.
template <class Text>
std::vector<Text> SplitLines(const Text& text) {
  std::vector<Text> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(static_cast<typename Text::value_type>('\n'), start);
    const size_t next = end == Text::npos ? text.size() : end + 1;
    if (end == Text::npos) end = text.size();
    if (end > start && text[end - 1] == static_cast<typename Text::value_type>('\r')) --end;
    lines.push_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

std::u16string Utf16FromBytes(const std::string& bytes, size_t offset) {
  std::u16string text;
  text.reserve((bytes.size() - offset) / 2);
  for (size_t i = offset; i + 1 < bytes.size(); i += 2) {
    text.push_back(
        static_cast<char16_t>(ReadLe16(reinterpret_cast<const unsigned char*>(bytes.data()) + i)));
  }
  return text;
}

void AppendUtf16Bytes(std::string& bytes, const std::u16string& text) {
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
}

}  // namespace

bool RegistryFileText::Load(const std::string& path) {
  std::ifstream in(platform::ToNativePath(path), std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  utf16_ = bytes.compare(0, 2, kUtf16LeMark) == 0;
  lines_.clear();
  wideLines_.clear();
  if (utf16_) {
    wideLines_ = SplitLines(Utf16FromBytes(bytes, 2));
  } else {
    lines_ = SplitLines(bytes);
  }
  return true;
}

bool RegistryFileText::Save(const std::string& path) const {
  std::string bytes;
  if (utf16_) {
    bytes = kUtf16LeMark;
    for (const std::u16string& line : wideLines_) AppendUtf16Bytes(bytes, line + u"\r\n");
  } else {
    for (const std::string& line : lines_) bytes += line + "\r\n";
  }
  std::ofstream out(platform::ToNativePath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool RegistryFileText::LineContains(size_t line, const std::string& text) const {
  if (utf16_) return wideLines_[line].find(platform::ToWideString(text)) != std::u16string::npos;
  return lines_[line].find(text) != std::string::npos;
}

void RegistryFileText::ReplaceInLine(size_t line, const std::string& search,
                                     const std::string& replacement) {
  if (utf16_) {
    wideLines_[line] = ReplaceAll(wideLines_[line], platform::ToWideString(search),
                                  platform::ToWideString(replacement));
  } else {
    lines_[line] = ReplaceAll(lines_[line], search, replacement);
  }
}

void RegistryFileText::ReplaceEverywhere(const std::string& search,
                                         const std::string& replacement) {
  if (utf16_) {
    const std::u16string wideSearch = platform::ToWideString(search);
    const std::u16string wideReplacement = platform::ToWideString(replacement);
    for (std::u16string& line : wideLines_) line = ReplaceAll(line, wideSearch, wideReplacement);
  } else {
    for (std::string& line : lines_) line = ReplaceAll(line, search, replacement);
  }
}
