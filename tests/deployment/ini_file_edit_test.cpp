// Lookups and edits of a loaded INI document: the current section, key order,
// section copies and renames, value replacement, changed sections and the
// section table's order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "deployment/CIniFile.h"
#include "deployment/SectionTable.h"
#include "ini_test_files.h"
#include "platform/TextCompare.h"

namespace {

class IniFileEditTest : public IniTest {
 protected:
  static std::vector<std::string> Changed(const CIniFile& mine, const CIniFile& other) {
    CIniFile::NameSet changed;
    const bool any = mine.CollectChangedSections(other, changed);
    EXPECT_EQ(any, !changed.empty());
    return {changed.begin(), changed.end()};
  }
};

TEST_F(IniFileEditTest, KeysAscendWithoutRegardToCaseAndLookupsMoveTheCurrentSection) {
  CIniFile ini = Loaded("[s]\r\nb=2\r\nA=1\r\nc=3\r\n_u=4\r\n[t]\r\nk=t\r\n");
  ini.SetCurrentSection("S");
  // Letters compare as lower case, so "_" (0x5F) sorts before them.
  EXPECT_EQ("_u", ini.GetKeyAt(0));
  EXPECT_EQ("A", ini.GetKeyAt(1));
  EXPECT_EQ("3", ini.GetValueAt(3));
  EXPECT_EQ("", ini.GetKeyAt(4));

  // Only a lookup that finds its section moves the current section.
  CIniFile::KeyTable keys{{"stale", "x"}};
  EXPECT_EQ(0u, ini.GetSection("none", keys));
  EXPECT_EQ("x", keys["stale"]);
  EXPECT_FALSE(ini.HasKey("none", "k"));
  EXPECT_FALSE(ini.MergeIntoSection("none", {{"k", "v"}}));
  EXPECT_EQ("2", ini.GetValue("B"));
  EXPECT_FALSE(ini.HasKey("T", "absent"));
  EXPECT_EQ("t", ini.GetValue("k"));
  EXPECT_EQ(4u, ini.GetSection("s", keys));
  EXPECT_EQ(0u, keys.count("stale"));
  EXPECT_EQ("2", ini.GetValue("b"));
}

TEST_F(IniFileEditTest, AddRenameAndMergeNeverOverwriteAnotherSection) {
  CIniFile ini = Loaded("[Common Data]\r\nDestination=C:\\x\r\n[File_A]\r\nk=a\r\n");
  ini.AddSection("common data", {{"Destination", "elsewhere"}});
  ini.AddSection("", {{"k", "v"}});
  EXPECT_EQ("C:\\x", ini.GetValue("Common Data", "Destination"));

  ini.RenameSection("file_a", "0001File_A");
  EXPECT_EQ("a", ini.GetValue("0001File_A", "k"));
  EXPECT_FALSE(ini.HasKey("File_A", "k"));
  ini.RenameSection("Common Data", "0001FILE_A");
  ini.RenameSection("absent", "new");
  EXPECT_EQ("C:\\x", ini.GetValue("Common Data", "Destination"));
  CIniFile::NameSet names;
  EXPECT_EQ(2u, ini.GetSectionNames(names));

  EXPECT_TRUE(
      ini.MergeIntoSection("COMMON DATA", {{"destination", "C:\\y"}, {"SharedDeployment", "Y"}}));
  EXPECT_NE(std::string::npos,
            Written(ini).find("[Common Data]\r\nDestination=C:\\y\r\nSharedDeployment=Y\r\n\r\n"));
}

TEST_F(IniFileEditTest, ReplaceInValuesIsCaseSensitiveLeftToRightAndLeavesNamesAlone) {
  CIniFile ini = Loaded(
      "[%TempDir%]\r\n%TempDir%=%TempDir%\\a %tempdir%\r\ntwice=%TempDir%%TempDir%\r\n"
      "[run]\r\naaa=aaaa\r\n");
  ini.ReplaceInValues("%TempDir%", "C:\\T%TempDir%");
  EXPECT_EQ("C:\\T%TempDir%\\a %tempdir%", ini.GetValue("%TempDir%", "%TempDir%"));
  EXPECT_EQ("C:\\T%TempDir%C:\\T%TempDir%", ini.GetValue("%TempDir%", "twice"));
  ini.ReplaceInValues("aa", "b");
  ini.ReplaceInValues("", "x");
  EXPECT_EQ("bb", ini.GetValue("run", "aaa"));
}

TEST_F(IniFileEditTest, ChangedSectionsAreThoseWithMissingOrDifferentKeys) {
  const CIniFile mine = Loaded("[S]\r\na=1\r\n[empty]\r\n[Only Mine]\r\nx=1\r\n");
  EXPECT_EQ((std::vector<std::string>{"Only Mine"}),
            Changed(mine, Loaded("[s]\r\na=1\r\nb=2\r\n")));
  EXPECT_EQ((std::vector<std::string>{"Only Mine", "S"}), Changed(mine, Loaded("[S]\r\na=2\r\n")));
  EXPECT_EQ((std::vector<std::string>{"Only Mine", "S"}), Changed(mine, Loaded("[S]\r\nb=1\r\n")));
  EXPECT_EQ((std::vector<std::string>{}),
            Changed(mine, Loaded("[S]\r\nA=1\r\n[only mine]\r\nX=1\r\n")));

  // Values compare without regard to case.
  const CIniFile admin = Loaded("[Common Data]\r\nDeployedWithAdmin=y\r\n");
  EXPECT_TRUE(Changed(admin, Loaded("[Common Data]\r\nDeployedWithAdmin=Y\r\n")).empty());
  EXPECT_EQ(1u, Changed(admin, Loaded("[Common Data]\r\nDeployedWithAdmin=N\r\n")).size());

  // Against an empty document every section with keys has changed.
  EXPECT_EQ((std::vector<std::string>{"Only Mine", "S"}), Changed(mine, CIniFile()));
}

TEST_F(IniFileEditTest, CodePageLettersHaveCaseWhereTheSystemGivesThemCase) {
  // 0xC9 and 0xE9 are "E" and "e" with acute accent in code page 1252.
  const platform::CaseTables& tables = platform::SystemCaseTables();
  const bool casePair = tables.lower[0xC9] == 0xE9 && tables.upper[0xE9] == 0xC9;
#if defined(_WIN32)
  EXPECT_TRUE(casePair) << "the Wine prefix of the tests runs code page 1252";
#else
  EXPECT_FALSE(casePair) << "only ASCII letters have case on posix";
#endif
  CIniFile ini = Loaded("[\xC9lan]\r\n\xC9t\xE9=1\r\n[\xE9lan]\r\n\xE9T\xC9=2\r\n");
  CIniFile::NameSet names;
  ini.GetSectionNames(names);
  if (casePair) {
    EXPECT_EQ(1u, names.size());
    EXPECT_EQ("2", ini.GetValue("\xE9LAN", "\xC9T\xC9"));
    EXPECT_EQ(SectionTable::HashName("\xC9lan"), SectionTable::HashName("\xE9lan"));
  } else {
    EXPECT_EQ(2u, names.size());
    EXPECT_EQ("1", ini.GetValue("\xC9LAN", "\xC9t\xE9"));
    EXPECT_EQ("", ini.GetValue("\xE9LAN", "\xC9t\xE9"));
  }
}

TEST(SectionTableTest, HashIsTheUpperCasedNameTimesFivePlusEachSignedByte) {
  EXPECT_EQ(65u * 5 + 66u, SectionTable::HashName("ab"));
  EXPECT_EQ(SectionTable::HashName("FILE_client"), SectionTable::HashName("file_CLIENT"));
  // 0xA0 is no letter in any code page; as a signed char it is -96.
  const std::string highByteThenA =
      "\xA0"
      "a";
  EXPECT_EQ(static_cast<uint32_t>(-96 * 5 + 65), SectionTable::HashName(highByteThenA));
  EXPECT_EQ(0u, SectionTable::HashName(""));
}

TEST(SectionTableTest, OrderDependsOnTheNamesOnlyAndFollowsTheBuckets) {
  SectionTable forward;
  SectionTable backward;
  constexpr int kCount = 200;
  for (int i = 0; i < kCount; ++i) forward.FindOrCreate("File_" + std::to_string(i))["k"] = "v";
  for (int i = kCount - 1; i >= 0; --i)
    backward.FindOrCreate("FILE_" + std::to_string(i))["k"] = "v";
  EXPECT_EQ(static_cast<size_t>(kCount), forward.Size());
  EXPECT_GE(forward.BucketCount(), forward.Size());

  std::vector<std::string> forwardNames;
  std::vector<std::string> backwardNames;
  forward.ForEach(
      [&](const std::string& name, const IniKeyTable&) { forwardNames.push_back(name); });
  backward.ForEach(
      [&](const std::string& name, const IniKeyTable&) { backwardNames.push_back(name); });
  ASSERT_EQ(forwardNames.size(), backwardNames.size());
  const size_t mask = forward.BucketCount() - 1;
  for (size_t i = 0; i < forwardNames.size(); ++i) {
    EXPECT_TRUE(platform::CodePageEqualsNoCase(forwardNames[i], backwardNames[i])) << i;
    if (i > 0) {
      EXPECT_LE(SectionTable::HashName(forwardNames[i - 1]) & mask,
                SectionTable::HashName(forwardNames[i]) & mask);
    }
  }
  for (int i = 0; i < kCount; i += 7) {
    EXPECT_TRUE(forward.Remove("file_" + std::to_string(i)));
    EXPECT_EQ(nullptr, forward.Find("File_" + std::to_string(i)));
    EXPECT_NE(nullptr, forward.Find("File_" + std::to_string(i + 1)));
  }
  EXPECT_FALSE(forward.Remove("File_0"));
}

}  // namespace
