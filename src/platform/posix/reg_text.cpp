#include "platform/posix/reg_text.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "infra/LittleEndian.h"
#include "platform/TextCompare.h"
#include "platform/posix/wide_text.h"

namespace platform::posix {
namespace {

constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr char kNewline[] = "\r\n";
// regedit breaks hex data once a line reaches this many characters.
constexpr size_t kHexLineBreak = 77;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  return text.substr(first);
}

std::string_view TrimRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1])) --end;
  return text.substr(0, end);
}

// Keywords of the format ("dword:", "hex") in any case.
bool StartsWithKeyword(std::string_view text, std::string_view keyword) {
  return OrdinalEqualsNoCase(text.substr(0, keyword.size()), keyword);
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

bool IsUtf16StringType(RegistryValueType type) {
  return type == RegistryValueType::String || type == RegistryValueType::ExpandString ||
         type == RegistryValueType::MultiString;
}

class Parser {
 public:
  Parser(std::vector<std::string> lines, RegTextError& error)
      : lines_(std::move(lines)), error_(error) {}

  bool Run(RegTextDocument& document) {
    while (index_ < lines_.size() && TrimRight(lines_[index_]).empty()) ++index_;
    if (index_ == lines_.size()) return Fail("the text is empty");
    const std::string_view header = TrimRight(lines_[index_]);
    if (header == kVersion5Header) {
      unicodeStrings_ = true;
    } else if (header == kRegedit4Header) {
      unicodeStrings_ = false;
    } else {
      return Fail("not a registry file header");
    }

    RegTextSection* section = nullptr;
    bool skipValues = false;
    for (++index_; index_ < lines_.size(); ++index_) {
      const std::string_view line = TrimRight(TrimLeft(lines_[index_]));
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        RegTextSection parsed;
        if (!ParseSection(line, parsed)) return false;
        document.sections.push_back(std::move(parsed));
        section = &document.sections.back();
        // regedit ignores values listed beneath a deleted key.
        skipValues = section->remove;
        continue;
      }
      if (line.front() != '"' && line.front() != '@') return Fail("unexpected text");
      if (!section) return Fail("a value before the first key");
      RegTextValue value;
      if (!ParseValue(line, value)) return false;
      if (!skipValues) section->values.push_back(std::move(value));
    }
    return true;
  }

 private:
  bool Fail(const char* message) {
    error_.line = index_ + 1;
    error_.message = message;
    return false;
  }

  bool ParseSection(std::string_view line, RegTextSection& section) {
    size_t start = 1;
    if (start < line.size() && line[start] == '-') {
      section.remove = true;
      ++start;
    }
    // Key names may hold "]"; only the last one closes the section.
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos || close < start) return Fail("a key line without ']'");
    if (close + 1 != line.size()) return Fail("text after a key line");
    const std::string_view path = line.substr(start, close - start);
    size_t componentStart = 0;
    while (true) {
      const size_t separator = path.find('\\', componentStart);
      const size_t end = separator == std::string_view::npos ? path.size() : separator;
      if (end == componentStart) return Fail("an empty key name");
      section.key.emplace_back(path.substr(componentStart, end - componentStart));
      if (separator == std::string_view::npos) break;
      componentStart = separator + 1;
    }
    return true;
  }

  // A quoted string from line at position (on its opening quote), with the
  // \\ and \" escapes undone; other backslashes are kept as they are.
  static bool ReadQuoted(std::string_view line, size_t& position, std::string& text) {
    ++position;
    while (position < line.size()) {
      const char c = line[position];
      if (c == '"') {
        ++position;
        return true;
      }
      if (c == '\\' && position + 1 < line.size() &&
          (line[position + 1] == '\\' || line[position + 1] == '"')) {
        text += line[position + 1];
        position += 2;
      } else {
        text += c;
        ++position;
      }
    }
    return false;
  }

  static bool OnlyCommentRemains(std::string_view line, size_t position) {
    while (position < line.size() && IsBlank(line[position])) ++position;
    return position == line.size() || line[position] == ';';
  }

  bool ParseValue(std::string_view line, RegTextValue& value) {
    size_t position = 0;
    if (line.front() == '@') {
      position = 1;
    } else if (!ReadQuoted(line, position, value.name)) {
      return Fail("an unterminated value name");
    }
    while (position < line.size() && IsBlank(line[position])) ++position;
    if (position == line.size() || line[position] != '=') return Fail("a value without '='");
    ++position;
    while (position < line.size() && IsBlank(line[position])) ++position;
    const std::string_view data = line.substr(position);

    if (!data.empty() && data.front() == '-') {
      if (!OnlyCommentRemains(data, 1)) return Fail("text after '-'");
      value.remove = true;
      return true;
    }
    if (!data.empty() && data.front() == '"') {
      size_t end = 0;
      std::string text;
      if (!ReadQuoted(data, end, text)) return Fail("an unterminated string");
      if (!OnlyCommentRemains(data, end)) return Fail("text after a string");
      value.value.type = RegistryValueType::String;
      value.value.data.assign(text.begin(), text.end());
      value.value.data.push_back(0);
      return true;
    }
    if (StartsWithKeyword(data, "dword:")) return ParseDword(data.substr(6), value.value);
    if (StartsWithKeyword(data, "hex")) return ParseHex(data.substr(3), value.value);
    return Fail("unknown value data");
  }

  bool ParseDword(std::string_view digits, RegistryValue& value) {
    uint32_t number = 0;
    size_t count = 0;
    for (; count < digits.size() && HexDigitValue(digits[count]) >= 0; ++count) {
      if (count == 8) return Fail("a dword of more than eight digits");
      number = (number << 4) | static_cast<uint32_t>(HexDigitValue(digits[count]));
    }
    if (count == 0) return Fail("a dword without digits");
    if (!OnlyCommentRemains(digits, count)) return Fail("text after a dword");
    value.type = RegistryValueType::Dword;
    value.data = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                  static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
    return true;
  }

  // After "hex": an optional "(type)", ":", then the bytes, which may run on
  // over lines that end in "\".
  bool ParseHex(std::string_view rest, RegistryValue& value) {
    uint32_t type = static_cast<uint32_t>(RegistryValueType::Binary);
    size_t position = 0;
    if (position < rest.size() && rest[position] == '(') {
      ++position;
      type = 0;
      size_t digits = 0;
      for (; position < rest.size() && HexDigitValue(rest[position]) >= 0; ++position, ++digits) {
        if (digits == 8) return Fail("a value type of more than eight digits");
        type = (type << 4) | static_cast<uint32_t>(HexDigitValue(rest[position]));
      }
      if (digits == 0 || position == rest.size() || rest[position] != ')')
        return Fail("a malformed hex(type)");
      ++position;
    }
    if (position == rest.size() || rest[position] != ':') return Fail("hex data without ':'");
    ++position;

    std::string list;
    std::string_view piece = rest.substr(position);
    while (true) {
      // Comments may close any line of the data.
      piece = TrimRight(piece.substr(0, piece.find(';')));
      if (piece.empty() || piece.back() != '\\') {
        list += piece;
        break;
      }
      list += piece.substr(0, piece.size() - 1);
      if (index_ + 1 >= lines_.size()) return Fail("hex data continued past the end");
      ++index_;
      piece = TrimLeft(lines_[index_]);
    }

    std::string bytes;
    size_t at = 0;
    while (true) {
      while (at < list.size() && IsBlank(list[at])) ++at;
      if (at == list.size()) {
        // Nothing at all, or a trailing comma as regedit leaves before "\".
        break;
      }
      int digits = 0;
      int byte = 0;
      while (at < list.size() && HexDigitValue(list[at]) >= 0) {
        if (++digits > 2) return Fail("a hex byte of more than two digits");
        byte = (byte << 4) | HexDigitValue(list[at]);
        ++at;
      }
      if (digits == 0) return Fail("a malformed hex byte");
      bytes += static_cast<char>(byte);
      while (at < list.size() && IsBlank(list[at])) ++at;
      if (at == list.size()) break;
      if (list[at] != ',') return Fail("hex bytes not separated by ','");
      ++at;
    }

    value.type = static_cast<RegistryValueType>(type);
    if (unicodeStrings_ && IsUtf16StringType(value.type)) {
      std::string text;
      if (!Utf16LeToUtf8(bytes, text)) return Fail("UTF-16 data of an odd length");
      bytes = text;
    }
    value.data.assign(bytes.begin(), bytes.end());
    return true;
  }

  std::vector<std::string> lines_;
  RegTextError& error_;
  size_t index_ = 0;
  bool unicodeStrings_ = true;
};

std::string EscapeQuoted(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size() + 2);
  escaped += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  escaped += '"';
  return escaped;
}

bool FitsQuotedString(const RegistryValue& value) {
  if (value.type != RegistryValueType::String || value.data.empty() || value.data.back() != 0)
    return false;
  for (size_t i = 0; i + 1 < value.data.size(); ++i) {
    const uint8_t c = value.data[i];
    if (c == 0 || c == '\r' || c == '\n') return false;
  }
  return true;
}

void AppendHexData(std::string& out, size_t lineLength, const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<uint8_t>(bytes[i]);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
    if (i + 1 == bytes.size()) break;
    out += ',';
    lineLength += 3;
    if (lineLength >= kHexLineBreak) {
      out += "\\\r\n  ";
      lineLength = 2;
    }
  }
}

void AppendValue(std::string& out, const RegTextValue& value) {
  const size_t lineStart = out.size();
  out += value.name.empty() ? std::string("@") : EscapeQuoted(value.name);
  out += '=';
  const RegistryValue& data = value.value;
  if (value.remove) {
    out += '-';
  } else if (FitsQuotedString(data)) {
    out += EscapeQuoted(std::string(data.data.begin(), data.data.end() - 1));
  } else if (data.type == RegistryValueType::Dword && data.data.size() == 4) {
    char digits[16];
    const uint32_t number = ReadLe32(data.data.data());
    std::snprintf(digits, sizeof(digits), "%08x", number);
    out += "dword:";
    out += digits;
  } else {
    const auto type = static_cast<uint32_t>(data.type);
    if (data.type == RegistryValueType::Binary) {
      out += "hex:";
    } else {
      char prefix[24];
      std::snprintf(prefix, sizeof(prefix), "hex(%x):", type);
      out += prefix;
    }
    std::string bytes(data.data.begin(), data.data.end());
    if (IsUtf16StringType(data.type)) bytes = Utf8ToUtf16Le(bytes);
    AppendHexData(out, out.size() - lineStart, bytes);
  }
  out += kNewline;
}

}  // namespace

bool ParseRegText(const std::string& bytes, RegTextDocument& document, RegTextError& error) {
  document = RegTextDocument();
  error = RegTextError();
  std::string text;
  if (bytes.compare(0, kUtf16LeBom.size(), kUtf16LeBom) == 0) {
    if (!Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size()), text)) {
      error.message = "UTF-16 text of an odd length";
      return false;
    }
  } else if (bytes.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0) {
    text = bytes.substr(kUtf8Bom.size());
  } else {
    text = bytes;
  }
  Parser parser(SplitLines(text), error);
  if (parser.Run(document)) return true;
  document = RegTextDocument();
  return false;
}

std::string FormatRegText(const RegTextDocument& document) {
  std::string out(kVersion5Header);
  out += kNewline;
  out += kNewline;
  for (const RegTextSection& section : document.sections) {
    out += section.remove ? "[-" : "[";
    for (size_t i = 0; i < section.key.size(); ++i) {
      if (i > 0) out += '\\';
      out += section.key[i];
    }
    out += ']';
    out += kNewline;
    for (const RegTextValue& value : section.values) AppendValue(out, value);
    out += kNewline;
  }
  return out;
}

}  // namespace platform::posix
