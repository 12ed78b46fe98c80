// Version texts as four numbers, and the rule a file's version matches by.
#include <gtest/gtest.h>

#include <string>

#include "install/VersionText.h"

namespace {

std::string Parsed(const std::string& text) {
  const VersionNumber n = ParseVersionText(text);
  return std::to_string(n[0]) + "." + std::to_string(n[1]) + "." + std::to_string(n[2]) + "." +
         std::to_string(n[3]);
}

TEST(VersionTextTest, FirstSeparatorFoundSplitsTrimmedPiecesReadLikeAtoi) {
  EXPECT_EQ("1.2.0.0", Parsed("1.2"));
  EXPECT_EQ("1.2.3.4", Parsed("1.2.3.4.5"));
  EXPECT_EQ("11.0.0.1", Parsed(" 11, 0, 0, 1 "));
  EXPECT_EQ("1.2.3.4", Parsed("1-2-3-4"));
  EXPECT_EQ("1.2.0.0", Parsed("1;2"));
  // "." is looked for first: the commas stay inside the pieces.
  EXPECT_EQ("1.2.0.0", Parsed("1,5.2,7"));
  EXPECT_EQ("1.3.0.0", Parsed("1,,3"));     // empty pieces are dropped
  EXPECT_EQ("1.2.3.0", Parsed(" 1 . 2 .. 3"));
  EXPECT_EQ("0.9.9.9999", Parsed("X.9.9.9999"));
  EXPECT_EQ("12.0.7.0", Parsed("12abc.x.7z"));
  EXPECT_EQ("0.0.0.0", Parsed("5"));  // no separator at all
  EXPECT_EQ("0.0.0.0", Parsed(""));
  EXPECT_EQ("2147483647.4294967295.0.0", Parsed("99999999999.-1"));
}

TEST(VersionTextTest, LocalBuildMarkMatchesAnythingElseOnlyEquality) {
  const VersionNumber expected = ParseVersionText("11.0.0.1");
  EXPECT_TRUE(VersionMatches(expected, ParseVersionText("12.53.4.9999")));
  EXPECT_TRUE(VersionMatches(expected, ParseVersionText("1.0.9999.0")));
  EXPECT_FALSE(VersionMatches(expected, ParseVersionText("9999.9999.1.1")));
  EXPECT_FALSE(VersionMatches(expected, ParseVersionText("1.0.999.65535")));
  EXPECT_TRUE(VersionMatches(expected, ParseVersionText("11.0.0.1")));
  EXPECT_FALSE(VersionMatches(expected, ParseVersionText("11.0.0.2")));  // newer
  EXPECT_FALSE(VersionMatches(ParseVersionText("X.9.9.9999"), ParseVersionText("1.9.9.9998")));
}

}  // namespace
