// The two case foldings: code-page folding for the loader's text, ordinal
// folding for the names the system compares.
#include <gtest/gtest.h>

#include <string>

#include "platform/TextCompare.h"

namespace {

TEST(TextCompareTest, EachFoldingKeepsItsOwnOrderAndLetters) {
  EXPECT_TRUE(platform::CodePageEqualsNoCase("Common Data", "COMMON data"));
  EXPECT_TRUE(platform::OrdinalEqualsNoCase("Software\\Nordak", "SOFTWARE\\nordak"));
  EXPECT_FALSE(platform::CodePageEqualsNoCase("Y", "YY"));
  EXPECT_FALSE(platform::OrdinalEqualsNoCase("dword:", "dword"));
  EXPECT_EQ("common data", platform::CodePageLower("Common DATA"));

  // The registry orders names by their upper-case form, so "_" (0x5F) comes
  // after the letters; INI names order by their lower-case form, before them.
  EXPECT_TRUE(platform::OrdinalLessNoCase()("ab", "A_"));
  EXPECT_TRUE(platform::CodePageLessNoCase()("a_", "AB"));
  EXPECT_TRUE(platform::OrdinalLessNoCase()("key", "KEYS"));
  EXPECT_FALSE(platform::CodePageLessNoCase()("KEY", "key"));

  // Ordinal folding leaves every byte beyond ASCII alone, whatever the code
  // page; code-page folding follows the system's tables.
  const platform::CaseTables& tables = platform::SystemCaseTables();
  EXPECT_FALSE(platform::OrdinalEqualsNoCase("\xC9", "\xE9"));
  EXPECT_EQ(tables.lower[0xC9] == tables.lower[0xE9],
            platform::CodePageEqualsNoCase("\xC9", "\xE9"));
}

}  // namespace
