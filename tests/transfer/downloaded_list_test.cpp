// "Downloaded.txt" grows by one appended line per component; what a reader
// sees must stay what a whole rewrite would have given, also after a crash
// tore the last line and after someone else changed the file.
#include <gtest/gtest.h>

#include "deployment/CIniFile.h"
#include "platform/FileSystem.h"
#include "test_files.h"
#include "test_machine.h"
#include "transfer/DownloadedList.h"

namespace {

class DownloadedListTest : public MachineTest {
 protected:
  std::string Value(const std::string& url) const {
    CIniFile list;
    EXPECT_TRUE(list.Load(path_));
    return list.GetValue("Files", url);
  }
  bool Append(const std::string& url, const std::string& destination) {
    return AppendDownloadedEntry(path_, url, destination);
  }

  const std::string path_ = machine_.ScratchFolder() + "\\Downloaded.txt";
};

TEST_F(DownloadedListTest, EntriesAreAppendedUnderOneHeaderAndTheLastOneCounts) {
  ASSERT_TRUE(Append("http://s/wnbin/a.lld", "a.dll"));
  ASSERT_TRUE(Append("http://s/wnbin/b.lld", "bin\\b.dll"));
  ASSERT_TRUE(Append("http://s/wnbin/a.lld", "a2.dll"));
  EXPECT_EQ("[Files]\r\nhttp://s/wnbin/a.lld=a.dll\r\nhttp://s/wnbin/b.lld=bin\\b.dll\r\n"
            "http://s/wnbin/a.lld=a2.dll\r\n",
            ReadTestFile(path_));
  EXPECT_EQ("a2.dll", Value("http://s/wnbin/a.lld"));
  EXPECT_EQ("bin\\b.dll", Value("http://s/wnbin/b.lld"));

  // An empty list (as the download driver leaves it) gets its header too.
  ASSERT_TRUE(WriteTestFile(path_, ""));
  ASSERT_TRUE(Append("http://s/wnbin/c.lld", "c.dll"));
  EXPECT_EQ("[Files]\r\nhttp://s/wnbin/c.lld=c.dll\r\n", ReadTestFile(path_));
}

TEST_F(DownloadedListTest, ATornLastLineNeverSwallowsTheNextEntry) {
  ASSERT_TRUE(Append("http://s/wnbin/a.lld", "a.dll"));
  // A crash while the next entry was written.
  ASSERT_TRUE(WriteTestFile(path_, ReadTestFile(path_) + "http://s/wnbin/b.lld=bi"));
  ASSERT_TRUE(Append("http://s/wnbin/c.lld", "c.dll"));
  EXPECT_EQ("a.dll", Value("http://s/wnbin/a.lld"));
  EXPECT_EQ("c.dll", Value("http://s/wnbin/c.lld"));

  // Torn inside the key, or inside a header: the entries stay readable.
  ASSERT_TRUE(WriteTestFile(path_, ReadTestFile(path_) + "http://s/wnbin/d.l"));
  ASSERT_TRUE(Append("http://s/wnbin/e.lld", "e.dll"));
  ASSERT_TRUE(WriteTestFile(path_, ReadTestFile(path_) + "\r\n[Fil"));
  ASSERT_TRUE(Append("http://s/wnbin/f.lld", "f.dll"));
  for (const char* name : {"a", "c", "e", "f"})
    EXPECT_EQ(std::string(name) + ".dll", Value(std::string("http://s/wnbin/") + name + ".lld")) << name;
}

TEST_F(DownloadedListTest, AListChangedBehindItsBackKeepsItsEntries) {
  ASSERT_TRUE(Append("http://s/wnbin/a.lld", "a.dll"));
  // Rewritten by another writer, of the same size, ending in another
  // section: the entries under "Files" are carried below a new header,
  // because a later header replaces the section's earlier keys.
  const std::string other = "[Files]\r\nhttp://s/wnbin/z.lld=z.dll\r\n[Other]\r\nk=v\r\n";
  ASSERT_TRUE(WriteTestFile(path_, other));
  ASSERT_TRUE(Append("http://s/wnbin/b.lld", "b.dll"));
  EXPECT_EQ("z.dll", Value("http://s/wnbin/z.lld"));
  EXPECT_EQ("b.dll", Value("http://s/wnbin/b.lld"));
  CIniFile list;
  ASSERT_TRUE(list.Load(path_));
  EXPECT_EQ("v", list.GetValue("Other", "k"));

  // The same size as before, yet another last line: read again.
  ASSERT_TRUE(Append("http://s/wnbin/c.lld", "c.dll"));
  const std::string appended = ReadTestFile(path_);
  std::string sameSize = appended;
  sameSize.replace(sameSize.size() - 8, 8, "\r\n[X]\r\n\r\n");
  sameSize.resize(appended.size());
  ASSERT_TRUE(WriteTestFile(path_, sameSize));
  ASSERT_TRUE(Append("http://s/wnbin/d.lld", "d.dll"));
  EXPECT_EQ("d.dll", Value("http://s/wnbin/d.lld"));
  EXPECT_EQ("z.dll", Value("http://s/wnbin/z.lld"));

  // A list that cannot be written is reported.
  const std::string folder = machine_.ScratchFolder() + "\\folder";
  platform::CreateDirectoryWithParents(folder);
  EXPECT_FALSE(AppendDownloadedEntry(folder, "http://s/wnbin/a.lld", "a.dll"));
}

}  // namespace
