#include <gtest/gtest.h>

#include <string>

#include "infra/StringHelpers.h"

TEST(JoinPath, PutsOneSeparatorBetweenParts) {
  EXPECT_EQ("C:\\dir\\name", JoinPath("C:\\dir", "name"));
  EXPECT_EQ("C:\\dir\\name", JoinPath("C:\\dir\\", "name"));
  EXPECT_EQ("", JoinPath("", "name"));
  EXPECT_EQ("", JoinPath("C:\\dir", ""));
  // Only the path separator counts: a "/" at the end is kept and joined.
  EXPECT_EQ("C:/dir/\\name", JoinPath("C:/dir/", "name"));
}

// The same join with "/" (the empty parts are JoinPath's).
TEST(JoinUrl, PutsOneSlashBetweenParts) {
  EXPECT_EQ("http://host/app/start_a.js", JoinUrl("http://host/app/", "start_a.js"));
  EXPECT_EQ("http://host/app/start_a.js", JoinUrl("http://host/app", "start_a.js"));
}

TEST(GetParamValue, TakesTextUpToTheNextAmpersand) {
  std::string value;
  ASSERT_TRUE(GetParamValue("a=1&ieversion=9&b=2", "ieversion=", value));
  EXPECT_EQ("9", value);
  ASSERT_TRUE(GetParamValue("a=1&last=rest of text", "last=", value));
  EXPECT_EQ("rest of text", value);
  ASSERT_TRUE(GetParamValue("first=&b=2", "first=", value));
  EXPECT_EQ("", value);
  // The first occurrence wins, and the search is case-sensitive.
  ASSERT_TRUE(GetParamValue("k=1&k=2", "k=", value));
  EXPECT_EQ("1", value);
  value = "untouched";
  EXPECT_FALSE(GetParamValue("IEVersion=9", "ieversion=", value));
  EXPECT_EQ("untouched", value);
  EXPECT_FALSE(GetParamValue("", "a=", value));
}

TEST(Format, HandlesTextLongerThanAnyFixedBuffer) {
  const std::string long_text(100000, 'x');
  const std::string formatted = Format("<%s|%d>", long_text.c_str(), 42);
  EXPECT_EQ(long_text.size() + 5, formatted.size());
  EXPECT_EQ("|42>", formatted.substr(formatted.size() - 4));
  EXPECT_EQ("", Format("%s", ""));
}
