// Reading and writing .reg text (posix port).
#include "platform/posix/reg_text.h"
#include "platform/posix/wide_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::RegistryValueType;
using platform::posix::FormatRegText;
using platform::posix::ParseRegText;
using platform::posix::RegTextDocument;
using platform::posix::RegTextError;
using platform::posix::RegTextSection;
using platform::posix::RegTextValue;
using platform::posix::Utf8ToUtf16Le;

// A string literal with every byte in it, embedded zeros included.
template <size_t N>
std::string Literal(const char (&text)[N]) {
  return std::string(text, N - 1);
}

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

RegTextDocument Parse(const std::string& text) {
  RegTextDocument document;
  RegTextError error;
  EXPECT_TRUE(ParseRegText(text, document, error)) << error.line << ": " << error.message;
  return document;
}

// The value's data, or "missing" when the section has no such value.
std::vector<uint8_t> DataOf(const RegTextSection& section, const std::string& name,
                            RegistryValueType type) {
  for (const RegTextValue& value : section.values) {
    if (value.name == name && value.value.type == type) return value.value.data;
  }
  return Bytes("missing");
}

RegTextValue Value(const std::string& name, RegistryValueType type, const std::string& data) {
  return {name, false, {type, Bytes(data)}};
}

void ExpectSameSection(const RegTextSection& written, const RegTextSection& read) {
  EXPECT_EQ(written.key, read.key);
  ASSERT_EQ(written.values.size(), read.values.size());
  for (size_t i = 0; i < written.values.size(); ++i) {
    const RegTextValue& value = written.values[i];
    EXPECT_EQ(value.name, read.values[i].name);
    EXPECT_EQ(value.remove, read.values[i].remove) << value.name;
    EXPECT_EQ(value.value.type, read.values[i].value.type) << value.name;
    EXPECT_EQ(value.value.data, read.values[i].value.data) << value.name;
  }
}

// "Grüße" in UTF-8.
const std::string kGreetingUtf8 = "Gr\xC3\xBC\xC3\x9F" "e";

TEST(RegTextParse, ToleratesLooseHandWrittenText) {
  const RegTextDocument document = Parse(
      "\n"
      "Windows Registry Editor Version 5.00   \n"
      "; a comment\n"
      "   [HKEY_LOCAL_MACHINE\\A]  \r"
      "  \"spaced\" = \"x\"  ; why\r"
      "\"digits\"=DWORD:7\n"
      "\"kept\"=\"C:\\dir\"\n"
      "\"tail\"=hex:0a,0b, \\  \n"
      "      0c ; done\n");
  ASSERT_EQ(1u, document.sections.size());
  const RegTextSection& section = document.sections[0];
  EXPECT_EQ(Bytes(Literal("x\0")), DataOf(section, "spaced", RegistryValueType::String));
  EXPECT_EQ((std::vector<uint8_t>{7, 0, 0, 0}),
            DataOf(section, "digits", RegistryValueType::Dword));
  // A backslash that escapes nothing is kept.
  EXPECT_EQ(Bytes(Literal("C:\\dir\0")), DataOf(section, "kept", RegistryValueType::String));
  EXPECT_EQ(Bytes("\x0a\x0b\x0c"), DataOf(section, "tail", RegistryValueType::Binary));
}

TEST(RegTextParse, ReadsDeletionsAndDropsValuesOfDeletedKeys) {
  const RegTextDocument document = Parse(
      "Windows Registry Editor Version 5.00\r\n"
      "[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
      "\"ignored\"=\"x\"\r\n"
      "[HKEY_CURRENT_USER\\Software\\Keep]\r\n"
      "\"gone\"=-\r\n"
      "@=-\r\n");
  ASSERT_EQ(2u, document.sections.size());
  EXPECT_TRUE(document.sections[0].remove);
  EXPECT_TRUE(document.sections[0].values.empty());
  ASSERT_EQ(2u, document.sections[1].values.size());
  EXPECT_EQ("gone", document.sections[1].values[0].name);
  EXPECT_TRUE(document.sections[1].values[0].remove);
  EXPECT_EQ("", document.sections[1].values[1].name);
  EXPECT_TRUE(document.sections[1].values[1].remove);
}

TEST(RegTextParse, ReadsUtf16AndUtf8FilesAndRegedit4) {
  const std::string text = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\" +
                           kGreetingUtf8 + "]\r\n\"" + kGreetingUtf8 + "\"=\"" + kGreetingUtf8 +
                           "\"\r\n";
  for (const std::string& file : {"\xFF\xFE" + Utf8ToUtf16Le(text), "\xEF\xBB\xBF" + text}) {
    const RegTextDocument document = Parse(file);
    ASSERT_EQ(1u, document.sections.size());
    EXPECT_EQ(kGreetingUtf8, document.sections[0].key[1]);
    EXPECT_EQ(Bytes(kGreetingUtf8 + '\0'),
              DataOf(document.sections[0], kGreetingUtf8, RegistryValueType::String));
  }

  // REGEDIT4 string data is narrow already.
  const RegTextDocument old = Parse(
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Old]\r\n"
      "\"Expand\"=hex(2):25,57,49,4e,25,00\r\n");
  ASSERT_EQ(1u, old.sections.size());
  EXPECT_EQ(Bytes(Literal("%WIN%\0")),
            DataOf(old.sections[0], "Expand", RegistryValueType::ExpandString));
}

TEST(RegTextParse, RefusesMalformedTextAndSaysWhere) {
  const std::string header = "Windows Registry Editor Version 5.00\r\n";
  const std::string key = header + "[HKEY_CURRENT_USER\\K]\r\n";
  const struct {
    std::string text;
    size_t line;
  } cases[] = {
      {"", 1}, {"regedit4\r\n", 1}, {Literal("\xFE\xFF\0W"), 1}, {Literal("\xFF\xFEW\0i"), 0},
      {header + "\"a\"=\"b\"\r\n", 2}, {header + "[HKEY_CURRENT_USER\\K\r\n", 2},
      {header + "[HKEY_CURRENT_USER\\K] x\r\n", 2}, {header + "[HKEY_CURRENT_USER\\\\K]\r\n", 2},
      {key + "a=b\r\n", 3}, {key + "\"a=\"b\r\n", 3}, {key + "@\r\n", 3},
      {key + "\"a\"=\"C:\\\"\r\n", 3}, {key + "\"a\"=\"b\" c\r\n", 3}, {key + "\"a\"=-1\r\n", 3},
      {key + "\"a\"=str:\"b\"\r\n", 3}, {key + "\"a\"=dword:123456789\r\n", 3},
      {key + "\"a\"=dword:\r\n", 3}, {key + "\"a\"=hex(2:01\r\n", 3},
      {key + "\"a\"=hex(100000000):01\r\n", 3}, {key + "\"a\"=hex:123\r\n", 3},
      {key + "\"a\"=hex:01,,02\r\n", 3}, {key + "\"a\"=hex:01 02\r\n", 3},
      {key + "\"a\"=hex:01,\\\r\n", 3}, {key + "\"a\"=hex:01,\\\r\n  zz\r\n", 4},
      {key + "\"a\"=hex(2):41,00,42\r\n", 3},
  };
  for (const auto& malformed : cases) {
    RegTextDocument document;
    document.sections.resize(1);
    RegTextError error;
    EXPECT_FALSE(ParseRegText(malformed.text, document, error)) << malformed.text;
    EXPECT_EQ(malformed.line, error.line) << malformed.text << error.message;
    EXPECT_TRUE(document.sections.empty()) << malformed.text;
  }
}

TEST(RegTextParse, EveryTruncationIsReadOrRefusedSafely) {
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\T]\r\n"
      "@=\"d\\\\\\\"\"\r\n"
      "\"x\"=hex(2):41,00,\\\r\n  42,00,00,00\r\n"
      "\"y\"=dword:ffffffff\r\n"
      "[-HKEY_CURRENT_USER\\Software\\U]\r\n";
  for (const std::string& full : {text, "\xFF\xFE" + Utf8ToUtf16Le(text)}) {
    for (size_t length = 0; length < full.size(); ++length) {
      RegTextDocument document;
      RegTextError error;
      if (!ParseRegText(full.substr(0, length), document, error)) {
        EXPECT_FALSE(error.message.empty());
      }
    }
  }
}

TEST(RegTextFormat, WritesVersion5TextWithCrLf) {
  RegTextSection section;
  section.key = {"HKEY_CURRENT_USER", "Software", "Te]st"};
  section.values = {
      Value("", RegistryValueType::String, Literal("C:\\a \"b\"\0")),
      Value("q\"uote\\", RegistryValueType::Dword, Literal("\x2a\0\0\0")),
      Value("bin", RegistryValueType::Binary, "\x01\xfe"),
      Value("exp", RegistryValueType::ExpandString, Literal("%A%\0")),
      Value("multi", RegistryValueType::MultiString, Literal("a\0\0")),
      Value("q", RegistryValueType::Qword, Literal("\x01\0\0\0\0\0\0\0")),
      Value("raw", RegistryValueType::String, "no zero"),
      Value("odd", static_cast<RegistryValueType>(0x1234), ""),
      {"old", true, {}},
  };
  RegTextDocument document;
  document.sections = {section, {{"HKEY_CURRENT_USER", "Gone"}, true, {}}};

  const std::string text = FormatRegText(document);
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Software\\Te]st]\r\n"
      "@=\"C:\\\\a \\\"b\\\"\"\r\n"
      "\"q\\\"uote\\\\\"=dword:0000002a\r\n"
      "\"bin\"=hex:01,fe\r\n"
      "\"exp\"=hex(2):25,00,41,00,25,00,00,00\r\n"
      "\"multi\"=hex(7):61,00,00,00,00,00\r\n"
      "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      "\"raw\"=hex(1):6e,00,6f,00,20,00,7a,00,65,00,72,00,6f,00\r\n"
      "\"odd\"=hex(1234):\r\n"
      "\"old\"=-\r\n"
      "\r\n"
      "[-HKEY_CURRENT_USER\\Gone]\r\n"
      "\r\n",
      text);
  // Read back, as a file regedit wrote would be.
  const RegTextDocument back = Parse(text);
  ASSERT_EQ(2u, back.sections.size());
  ExpectSameSection(section, back.sections[0]);
  EXPECT_TRUE(back.sections[1].remove);
}

TEST(RegTextFormat, BreaksLongHexDataAsRegeditDoes) {
  std::string bytes;
  for (int i = 0; i < 60; ++i) bytes += static_cast<char>(i);
  RegTextDocument document;
  document.sections = {
      {{"HKEY_CURRENT_USER"}, false, {Value("Test", RegistryValueType::Binary, bytes)}}};

  // 22 bytes after the name, 25 on each full continuation line.
  EXPECT_EQ(
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER]\r\n"
      "\"Test\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
      "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\r\n"
      "  2f,30,31,32,33,34,35,36,37,38,39,3a,3b\r\n\r\n",
      FormatRegText(document));
}

TEST(RegTextFormat, WhatIsWrittenReadsBackUnchanged) {
  std::string large;
  for (int i = 0; i < 700; ++i) large += static_cast<char>(i * 7);
  RegTextSection section;
  section.key = {"HKEY_LOCAL_MACHINE", "Soft ware", "[x]", kGreetingUtf8};
  section.values = {
      Value("", RegistryValueType::String, Literal("\0")),
      Value("crlf", RegistryValueType::String, Literal("a\r\nb\0")),
      Value("zeros", RegistryValueType::String, Literal("a\0b\0")),
      Value("empty", RegistryValueType::String, ""),
      Value("unterminated", RegistryValueType::String, "abc"),
      Value(kGreetingUtf8, RegistryValueType::ExpandString, kGreetingUtf8 + '\0'),
      Value("emoji", RegistryValueType::MultiString, Literal("\xF0\x9F\x98\x80\0\0")),
      Value("@", RegistryValueType::Binary, large),
      Value("short dword", RegistryValueType::Dword, "\x01\x02"),
      Value("top type", static_cast<RegistryValueType>(0xFFFFFFFFu), "\x05"),
      Value("quoted \\\"name\\", RegistryValueType::String, Literal("\\\\\"\0")),
  };
  RegTextDocument document;
  document.sections = {section};

  const RegTextDocument back = Parse(FormatRegText(document));
  ASSERT_EQ(1u, back.sections.size());
  ExpectSameSection(section, back.sections[0]);
}

}  // namespace
