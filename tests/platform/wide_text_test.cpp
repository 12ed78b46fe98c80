// UTF-8 and UTF-16 conversion of the posix port, for the wide Windows calls
// and for string data in .reg files.
#include "platform/posix/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::ToWideString;
using platform::posix::ToUtf8;
using platform::posix::Utf16LeToUtf8;
using platform::posix::Utf8ToUtf16Le;

TEST(WideTextTest, EveryPlaneRoundTripsThroughUtf16AndUtf16Le) {
  const std::string text = "C:\\L\xC3\xA4" "bs\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(u"C:\\L\u00e4bs\u20ac\U0001F600", ToWideString(text));
  EXPECT_EQ(text, ToUtf8(ToWideString(text)));
  const std::string le = Utf8ToUtf16Le(text);
  EXPECT_EQ(std::string("C\0:\0\\\0L\0\xE4\0b\0s\0\xAC\x20\x3D\xD8\x00\xDE", 20), le);
  std::string back;
  ASSERT_TRUE(Utf16LeToUtf8(le, back));
  EXPECT_EQ(text, back);
  EXPECT_FALSE(Utf16LeToUtf8("abc", back));  // an odd number of bytes
}

// One U+FFFD for each byte that starts no well-formed sequence, and for each
// unpaired surrogate.
TEST(WideTextTest, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(u"a\uFFFDb", ToWideString("a\xC3" "b"));                        // cut short
  EXPECT_EQ(u"\uFFFD\uFFFDx", ToWideString("\xE2\x82x"));
  EXPECT_EQ(u"A\uFFFD\uFFFDB", ToWideString("A\xC0\xAF" "B"));               // overlong "/"
  EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD", ToWideString("\xED\xA0\x80"));            // a surrogate
  EXPECT_EQ(u"\uFFFD\uFFFD\uFFFD\uFFFD", ToWideString("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_EQ("a\xEF\xBF\xBD" "b", ToUtf8(std::u16string{u'a', 0xD800, u'b'}));
  EXPECT_EQ("\xEF\xBF\xBDZ", ToUtf8(std::u16string{0xDC00, u'Z'}));
}

}  // namespace
