// Loading and saving INI files: the line rules, the last-occurrence rule, line
// ends, and what Save writes and reports.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "deployment/CIniFile.h"
#include "deployment/ini_test_files.h"
#include "support/test_machine.h"

namespace {

class IniFileTest : public MachineTest {
 protected:
  std::string PathOf(const std::string& name) const {
    return machine_.ScratchFolder() + "\\" + name;
  }

  CIniFile Loaded(const std::string& text) { return IniFromText(machine_.ScratchFolder(), text); }

  static std::string Written(const CIniFile& ini) {
    std::ostringstream out;
    ini.WriteTo(out);
    return out.str();
  }
};

TEST_F(IniFileTest, ReadsKeysCommentsAndHeadersByTheLineRules) {
  CIniFile ini = Loaded(
      "orphan = before any header\r\n"
      "[Sect]\r\n"
      "key = some value ; note\r\n"
      "; a whole-line comment=with an equals sign\r\n"
      "a line with neither header nor equals sign\r\n"
      "\r\n"
      "  padded key\t=\t padded value \t\r\n"
      "url=http://host/a=b\r\n"
      "empty=\r\n"
      "[ Spaced ]\r\n"
      "x=1\r\n"
      "[Other]\r\n"
      "Name=[x]\r\n"
      "after=bracket\r\n"
      "[half;]\r\n"
      "cut=yes\r\n");

  EXPECT_EQ("before any header", ini.GetValue("Sect", "orphan"));
  EXPECT_EQ("some value", ini.GetValue("Sect", "key"));
  EXPECT_FALSE(ini.HasKey("Sect", "; a whole-line comment"));
  EXPECT_EQ("padded value", ini.GetValue("Sect", "padded key"));
  EXPECT_EQ("http://host/a=b", ini.GetValue("Sect", "url"));
  EXPECT_TRUE(ini.HasKey("Sect", "empty"));
  CIniFile::KeyTable keys;
  EXPECT_EQ(5u, ini.GetSection("Sect", keys));

  // Header names are not trimmed.
  EXPECT_EQ("1", ini.GetValue(" Spaced ", "x"));
  EXPECT_EQ("", ini.GetValue("Spaced", "x"));

  // A value in brackets opens a section and lands in it.
  EXPECT_EQ("[x]", ini.GetValue("x", "Name"));
  EXPECT_EQ("bracket", ini.GetValue("x", "after"));
  EXPECT_FALSE(ini.HasKey("Other", "Name"));

  // The comment is cut first, so "[half;]" is no header at all.
  EXPECT_EQ("yes", ini.GetValue("x", "cut"));
  EXPECT_FALSE(ini.HasKey("half", "cut"));
}

TEST_F(IniFileTest, HeaderNameRunsFromTheFirstOpeningToTheLastClosingBracket) {
  CIniFile ini = Loaded(
      "junk [a]b] junk\r\n"
      "k1=v1\r\n"
      "odd=]not a header[\r\n"
      "[next]\r\n"
      "k2=v2\r\n");
  EXPECT_EQ("v1", ini.GetValue("a]b", "k1"));
  EXPECT_EQ("]not a header[", ini.GetValue("a]b", "odd"));
  EXPECT_EQ("v2", ini.GetValue("next", "k2"));
  CIniFile::NameSet names;
  EXPECT_EQ(2u, ini.GetSectionNames(names));
}

TEST_F(IniFileTest, KeysUnderAnEmptyHeaderMoveOnOrAreDropped) {
  CIniFile ini = Loaded(
      "[first]\r\n"
      "a=1\r\n"
      "[]\r\n"
      "carried=yes\r\n"
      "[second]\r\n"
      "b=2\r\n"
      "[]\r\n"
      "lost=yes\r\n");
  EXPECT_EQ("1", ini.GetValue("first", "a"));
  EXPECT_EQ("yes", ini.GetValue("second", "carried"));
  EXPECT_EQ("2", ini.GetValue("second", "b"));
  CIniFile::NameSet names;
  EXPECT_EQ(2u, ini.GetSectionNames(names));
  EXPECT_EQ("", ini.GetValue("", "lost"));
}

TEST_F(IniFileTest, LastOccurrenceOfASectionOrKeyWins) {
  CIniFile ini = Loaded(
      "[Sect]\r\n"
      "A=1\r\n"
      "a=2\r\n"
      "gone=x\r\n"
      "[middle]\r\n"
      "m=1\r\n"
      "[sect]\r\n"
      "A=3\r\n"
      "new=y\r\n");
  EXPECT_EQ("3", ini.GetValue("SECT", "a"));
  EXPECT_EQ("y", ini.GetValue("Sect", "new"));
  EXPECT_FALSE(ini.HasKey("Sect", "gone"));
  // The section keeps the spelling it was created with, the key likewise.
  const std::string written = Written(ini);
  EXPECT_NE(std::string::npos, written.find("[Sect]\r\nA=3\r\nnew=y\r\n\r\n")) << written;
}

TEST_F(IniFileTest, LoadMergesIntoWhatIsThereAndReplacesReloadedSections) {
  CIniFile ini = Loaded("[keep]\r\nk=1\r\n[Reloaded]\r\nold=1\r\nshared=old\r\n");
  const std::string second = PathOf("second.ini");
  WriteRawFile(second, "[reloaded]\r\nshared=new\r\n");
  ASSERT_TRUE(ini.Load(second));
  EXPECT_EQ("1", ini.GetValue("keep", "k"));
  EXPECT_EQ("new", ini.GetValue("Reloaded", "shared"));
  EXPECT_FALSE(ini.HasKey("Reloaded", "old"));
}

TEST_F(IniFileTest, ReadsCrLfAndLfLinesAndAFinalLineWithoutEnd) {
  const std::string lines[] = {
      "[s]\r\na=1\r\nb=2",        // CR LF, no final line end
      "[s]\na=1\nb=2\n",          // LF only
      "[s]\r\na=1\nb=2\r\n\r\n",  // mixed
  };
  for (const std::string& text : lines) {
    CIniFile ini = Loaded(text);
    EXPECT_EQ("1", ini.GetValue("s", "a")) << text;
    EXPECT_EQ("2", ini.GetValue("s", "b")) << text;
    EXPECT_EQ("[s]\r\na=1\r\nb=2\r\n\r\n", Written(ini)) << text;
  }
  // A header's CR is not part of the name even without a closing key line.
  EXPECT_EQ("1", Loaded("[last]\r\nk=1").GetValue("last", "k"));
}

TEST_F(IniFileTest, LongLinesAreReadWholeAndTheRestOfTheFileStillLoads) {
  const std::string longValue(5000, 'v');
  CIniFile ini = Loaded("[s]\r\nlong=" + longValue + "\r\nafter=1\r\n[t]\r\nb=2\r\n");
  EXPECT_EQ(longValue, ini.GetValue("s", "long"));
  EXPECT_EQ("1", ini.GetValue("s", "after"));
  EXPECT_EQ("2", ini.GetValue("t", "b"));
}

TEST_F(IniFileTest, MissingFilesAndFoldersLoadNothingAndReportFalse) {
  CIniFile ini = Loaded("[s]\r\na=1\r\n");
  EXPECT_FALSE(ini.Load(PathOf("absent.ini")));
  EXPECT_FALSE(ini.Load(PathOf("no folder\\absent.ini")));
  EXPECT_FALSE(ini.Load(machine_.ScratchFolder()));
  EXPECT_EQ("[s]\r\na=1\r\n\r\n", Written(ini));
}

TEST_F(IniFileTest, SaveWritesTheWrittenFormWithCrLfAndReadsBackTheSame) {
  CIniFile ini;
  ini.SetCurrentSection("Common Data");
  ini.SetValue("b", "two words");
  ini.SetValue("A", "1");
  ini.SetValue("c", "");
  const std::string path = PathOf("saved.ini");
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ("[Common Data]\r\nA=1\r\nb=two words\r\nc=\r\n\r\n", ReadRawFile(path));

  // Save truncates what was there before.
  CIniFile smaller;
  smaller.SetCurrentSection("s");
  smaller.SetValue("k", "v");
  ASSERT_TRUE(smaller.Save(path));
  EXPECT_EQ("[s]\r\nk=v\r\n\r\n", ReadRawFile(path));
}

TEST_F(IniFileTest, ManySectionsSurviveASaveAndLoadRoundTrip) {
  CIniFile ini;
  for (int section = 0; section < 300; ++section) {
    ini.SetCurrentSection("File_" + std::to_string(section));
    for (int key = 0; key < 4; ++key)
      ini.SetValue("Key" + std::to_string(key), std::to_string(section * key));
  }
  const std::string path = PathOf("round.ini");
  ASSERT_TRUE(ini.Save(path));
  CIniFile reread;
  ASSERT_TRUE(reread.Load(path));
  EXPECT_EQ(Written(ini), Written(reread));
  EXPECT_EQ("597", reread.GetValue("file_199", "key3"));
  CIniFile::NameSet names;
  EXPECT_EQ(300u, reread.GetSectionNames(names));
  CIniFile::NameSet changed;
  EXPECT_FALSE(reread.CollectChangedSections(ini, changed));
}

TEST_F(IniFileTest, SaveReportsAFileThatCannotBeCreated) {
  CIniFile ini;
  ini.SetCurrentSection("s");
  ini.SetValue("k", "v");
  EXPECT_FALSE(ini.Save(PathOf("no such folder\\out.ini")));
  EXPECT_FALSE(ini.Save(machine_.ScratchFolder()));
}

#if !defined(_WIN32)
TEST_F(IniFileTest, SaveReportsAFileThatCannotBeWrittenWhole) {
  // /dev/full accepts the open and refuses every byte.
  CIniFile ini;
  ini.SetCurrentSection("s");
  ini.SetValue("k", std::string(100000, 'x'));
  EXPECT_FALSE(ini.Save("/dev/full"));
}
#endif

}  // namespace
