// Loading and saving INI files: the line rules, the last-occurrence rule, line
// ends, and what Save writes and reports.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "deployment/CIniFile.h"
#include "ini_test_files.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"

namespace {

using IniFileTest = IniTest;

TEST_F(IniFileTest, ReadsKeysCommentsAndHeadersByTheLineRules) {
  CIniFile ini = Loaded(
      "orphan = before any header\r\n"
      "[Sect]\r\n"
      "key = some value ; note\r\n"
      "; a whole-line comment=with an equals sign\r\n"
      "a line with neither header nor equals sign\r\n"
      "  padded key\t=\t padded value \t\r\n"
      "url=http://host/a=b\r\n"
      "[ Spaced ]\r\n"
      "x=1\r\n"
      "[Other]\r\n"
      "Name=[x]\r\n"
      "[half;]\r\n"
      "cut=yes\r\n");
  CIniFile::KeyTable keys;
  EXPECT_EQ(4u, ini.GetSection("Sect", keys));
  EXPECT_EQ("before any header", keys["orphan"]);
  EXPECT_EQ("some value", keys["key"]);
  EXPECT_EQ("padded value", keys["padded key"]);
  EXPECT_EQ("http://host/a=b", keys["url"]);
  // Header names are not trimmed.
  EXPECT_EQ("1", ini.GetValue(" Spaced ", "x"));
  EXPECT_EQ("", ini.GetValue("Spaced", "x"));
  // A value in brackets is only a value; "[half;]" is cut to "[half" before
  // it is looked at, so it opens nothing.
  EXPECT_EQ("[x]", ini.GetValue("Other", "Name"));
  EXPECT_EQ("yes", ini.GetValue("Other", "cut"));
  CIniFile::NameSet names;
  EXPECT_EQ(3u, ini.GetSectionNames(names));
}

TEST_F(IniFileTest, WhatIsWrittenReadsBackAsItWasWritten) {
  // Brackets in values, in a server name with an IPv6 address, and a key
  // that looks like a header: each line is a header or a key, never both.
  CIniFile made;
  made.SetCurrentSection("Setup");
  made.SetValue("Title", "Setup [Beta]");
  made.SetValue("Url", "http://[::1]:8080/");
  made.SetValue("Zone", "after the brackets");
  made.SetCurrentSection("[::1]:8080/tk");
  made.SetValue("Folder", "C:\\Deploy\\[::1]");
  const std::string path = PathOf("round.ini");
  ASSERT_TRUE(made.Save(path));
  const std::string first = ReadTestFile(path);

  CIniFile loaded;
  ASSERT_TRUE(loaded.Load(path));
  EXPECT_EQ("Setup [Beta]", loaded.GetValue("Setup", "Title"));
  EXPECT_EQ("http://[::1]:8080/", loaded.GetValue("Setup", "Url"));
  EXPECT_EQ("after the brackets", loaded.GetValue("Setup", "Zone"));
  EXPECT_EQ("C:\\Deploy\\[::1]", loaded.GetValue("[::1]:8080/tk", "Folder"));
  CIniFile::NameSet names;
  EXPECT_EQ(2u, loaded.GetSectionNames(names));
  EXPECT_EQ(first, Written(loaded));
}

TEST_F(IniFileTest, LoadWriteLoadWriteIsStable) {
  for (const std::string text : {
           "[S]=1\r\n0=2\r\n",
           "[Setup]\r\nTitle=Setup [Beta]\r\nafter=1\r\n",
           "[s]\r\nhttp://[::1]:8080/=key\r\nv=http://[::1]:8080/\r\n",
           "[[::1]:8080/tk]\r\nFolder=x\r\n",
           "pre=1\r\n[a=b]\r\nk[=v\r\n x [y] z \r\n[]\r\nq=]odd[\r\n",
       }) {
    const std::string first = Written(Loaded(text));
    const std::string second = Written(Loaded(first));
    EXPECT_EQ(first, second) << text;
  }
  // The key after a header written with "=1" behind it survives.
  EXPECT_EQ("2", Loaded(Written(Loaded("[S]=1\r\n0=2\r\n"))).GetValue("S", "0"));
}

TEST_F(IniFileTest, HeaderBracketsAndEmptyHeaders) {
  CIniFile ini = Loaded(
      "junk [a]b] junk\r\n"
      "odd=]not a header[\r\n"
      "[]\r\n"
      "carried=yes\r\n"
      "[next]\r\n"
      "[]\r\n"
      "lost=yes\r\n");
  // From the first "[" to the last "]"; "]...[" is no header.
  EXPECT_EQ("]not a header[", ini.GetValue("a]b", "odd"));
  // Keys under "[]" go on to the next named section, or nowhere.
  EXPECT_EQ("yes", ini.GetValue("next", "carried"));
  CIniFile::NameSet names;
  EXPECT_EQ(2u, ini.GetSectionNames(names));
}

TEST_F(IniFileTest, LastOccurrenceWinsAndLoadMergesIntoWhatIsThere) {
  CIniFile ini = Loaded(
      "[Sect]\r\nA=1\r\na=2\r\ngone=x\r\n"
      "[keep]\r\nk=1\r\n"
      "[sect]\r\nA=3\r\nnew=y\r\n");
  EXPECT_FALSE(ini.HasKey("Sect", "gone"));
  // The section and the key keep the spelling they were created with.
  EXPECT_NE(std::string::npos, Written(ini).find("[Sect]\r\nA=3\r\nnew=y\r\n\r\n"));

  const std::string second = PathOf("second.ini");
  ASSERT_TRUE(WriteTestFile(second, "[SECT]\r\nnew=z\r\n"));
  ASSERT_TRUE(ini.Load(second));
  EXPECT_EQ("1", ini.GetValue("keep", "k"));
  EXPECT_EQ("z", ini.GetValue("Sect", "new"));
  EXPECT_FALSE(ini.HasKey("Sect", "A"));
}

TEST_F(IniFileTest, ReadsCrLfLfAndLongLinesWhole) {
  for (const std::string text :
       {"[s]\r\na=1\r\nb=2", "[s]\na=1\nb=2\n", "[s]\r\na=1\nb=2\r\n\r\n"}) {
    EXPECT_EQ("[s]\r\na=1\r\nb=2\r\n\r\n", Written(Loaded(text))) << text;
  }
  const std::string longValue(5000, 'v');
  CIniFile ini = Loaded("[s]\r\nlong=" + longValue + "\r\n[t]\r\nb=2\r\n");
  EXPECT_EQ(longValue, ini.GetValue("s", "long"));
  EXPECT_EQ("2", ini.GetValue("t", "b"));
}

TEST_F(IniFileTest, MissingFilesAndFoldersLoadNothingAndReportFalse) {
  CIniFile ini = Loaded("[s]\r\na=1\r\n");
  EXPECT_FALSE(ini.Load(PathOf("absent.ini")));
  EXPECT_FALSE(ini.Load(PathOf("no folder\\absent.ini")));
  EXPECT_FALSE(ini.Load(machine_.ScratchFolder()));
  EXPECT_EQ("[s]\r\na=1\r\n\r\n", Written(ini));
}

TEST_F(IniFileTest, SaveWritesCrLfLinesTruncatesAndReportsWhatItCannotCreate) {
  CIniFile ini;
  ini.SetCurrentSection("Common Data");
  ini.SetValue("b", "two words");
  ini.SetValue("A", "1");
  ini.SetValue("c", "");
  const std::string path = PathOf("saved.ini");
  ASSERT_TRUE(WriteTestFile(path, std::string(200, 'x')));
  ASSERT_TRUE(ini.Save(path));
  EXPECT_EQ("[Common Data]\r\nA=1\r\nb=two words\r\nc=\r\n\r\n", ReadTestFile(path));

  EXPECT_FALSE(ini.Save(PathOf("no such folder\\out.ini")));
  EXPECT_FALSE(ini.Save(machine_.ScratchFolder()));
}

TEST_F(IniFileTest, FailedSaveLeavesTheOldFileAsItWas) {
  CIniFile ini = Loaded("[s]\r\nk=new\r\n");
  const std::string path = PathOf("kept.ini");
  ASSERT_TRUE(WriteTestFile(path, "[s]\r\nk=old\r\n"));
  uint32_t notApplied = 0;
  ASSERT_TRUE(platform::SetPathAttributes(path, platform::kFileAttributeReadOnly, notApplied));
  EXPECT_FALSE(ini.Save(path));
  EXPECT_EQ("[s]\r\nk=old\r\n", ReadTestFile(path));
  ASSERT_TRUE(platform::SetPathAttributes(path, platform::kFileAttributeNormal, notApplied));
  // Nothing is left beside it.
  std::vector<platform::FoundEntry> entries;
  platform::FindEntries(machine_.ScratchFolder() + "\\kept.ini*", entries);
  EXPECT_EQ(1u, entries.size());
}

TEST_F(IniFileTest, ReadersNeverSeeHalfASavedFile) {
  // Two documents of different sizes saved in turn while another thread
  // keeps loading the file: every load finds one of them whole.
  CIniFile small;
  CIniFile large;
  for (int i = 0; i < 300; ++i) {
    large.SetCurrentSection("section" + std::to_string(i));
    large.SetValue("key", std::string(40, 'v'));
    if (i >= 100) continue;
    small.SetCurrentSection("section" + std::to_string(i));
    small.SetValue("key", "v");
  }
  const std::string path = PathOf("contended.ini");
  ASSERT_TRUE(small.Save(path));
  std::atomic<bool> stop{false};
  std::atomic<int> loads{0};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!stop) {
      CIniFile seen;
      if (seen.Load(path)) {
        CIniFile::NameSet names;
        const size_t count = seen.GetSectionNames(names);
        if (count != 100 && count != 300) ++torn;
        ++loads;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  for (int i = 0; i < 60; ++i) EXPECT_TRUE((i % 2 ? small : large).Save(path)) << i;
  stop = true;
  reader.join();
  EXPECT_EQ(0, torn.load()) << "of " << loads.load() << " loads";
}

}  // namespace
