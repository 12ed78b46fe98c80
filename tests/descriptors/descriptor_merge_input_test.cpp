// What a server or a planted file may get wrong: plug-in lines that lead
// out of the Extensions folder, links in it, damaged and odd cabinets,
// odd lists. None may crash, hang or touch a file outside the deployment.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "links.h"
#include "infra/StringHelpers.h"
#include "merge_fixture.h"
#include "platform/FileSystem.h"
#include "test_files.h"

namespace {

class MergeInputTest : public MergeTest {
 protected:
  MergeInputTest() {
    Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
    UseMain("VuvoViziz_setup.cab");
    UsePluginList("plugins.txt");
  }

  bool Requested(const std::string& part) const {
    for (const std::string& url : downloader_.Requests()) {
      if (url.find(part) != std::string::npos) return true;
    }
    return false;
  }

  // Which sections of plug1.cab were merged.
  std::string PluginSections() const {
    std::string names;
    for (const char* name : {"0002File_P1", "0003File_P1", "0002Manifest_X"}) {
      if (merged_.GetValue(name, "ShortName").empty()) continue;
      names += std::string(names.empty() ? "" : "|") + name;
    }
    return names;
  }
};

TEST_F(MergeInputTest, LinesLeadingOutOfTheExtensionsFolderAreNeverFetchedNorOpened) {
  // A cabinet the server would hand out for "../outside.cab", and one planted
  // beside the deployment that a merge must neither unpack nor delete.
  Serve("plug2.cab", "outside.cab");
  ASSERT_TRUE(WriteTestFile(Deployed("victim.cab"), ReadTestFile(DescriptorFixture("plug2.cab"))));
  const std::vector<std::string> hostile = {
      "../outside.cab", "..\\victim.cab", "sub/../../outside.cab", "C:\\evil.cab",
      "c:evil.cab",     "\\\\server\\share\\evil.cab", "/abs.cab", "plug1.cab:stream",
      ". ./outside.cab", "...\\victim.cab"};
  std::string list;
  for (const std::string& line : hostile) list += line + "\r\n";
  ServeText("Extensions/plugins.txt", list + "plug1.cab\r\n");
  Serve("plug1.cab", "Extensions/plug1.cab");

  merge_.DownloadServerIniAndMerge();

  for (const std::string& line : hostile) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(Requested(line));
    EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadFilesList",
                       "FileList contains '" + line +
                           "' that names no file inside the Extensions folder. Skipped."));
  }
  EXPECT_EQ("0002File_P1|0002Manifest_X", PluginSections());
  EXPECT_TRUE(PathExists(Deployed("victim.cab")));
  EXPECT_FALSE(PathExists(Deployed("victim.ini")));
  EXPECT_FALSE(PathExists(Deployed("outside.cab")));
  EXPECT_FALSE(PathExists(Deployed("outside.ini")));
  EXPECT_FALSE(PathExists("C:\\evil.cab"));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(MergeInputTest, CleanUpRemovesALinkInTheExtensionsFolderAndNotWhatItPointsTo) {
  const std::string outside = machine_.ScratchFolder() + "\\keep";
  ASSERT_TRUE(platform::CreateDirectoryWithParents(outside) == platform::kErrorSuccess);
  ASSERT_TRUE(WriteTestFile(outside + "\\precious.txt", "keep me"));
  platform::CreateDirectoryWithParents(Deployed("Extensions"));
  if (!MakeFolderLink(Deployed("Extensions\\link"), outside))
    GTEST_SKIP() << "this system makes neither symbolic links nor junctions";
  ServeText("Extensions/plugins.txt", "plug1.cab\r\n");
  Serve("plug1.cab", "Extensions/plug1.cab");

  merge_.DownloadServerIniAndMerge();

  EXPECT_EQ("keep me", ReadTestFile(outside + "\\precious.txt"));
  EXPECT_FALSE(PathExists(Deployed("Extensions")));
}

TEST_F(MergeInputTest, DamagedOddAndEmptyCabinetsAreLeftOut) {
  std::string damaged = ReadTestFile(DescriptorFixture("plug1.cab"));
  ASSERT_GT(damaged.size(), 400u);
  damaged[300] = static_cast<char>(damaged[300] ^ 0x5A);  // inside the compressed data
  ServeText("Extensions/damaged.cab", damaged);
  ServeText("Extensions/signed-program.cab", ReadTestFile(FixturePath("signed.exe")));
  Serve("noini.cab", "Extensions/noini.cab");
  ServeText("Extensions/plugins.txt", "damaged.cab\r\nsigned-program.cab\r\nnoini.cab\r\n");

  merge_.DownloadServerIniAndMerge();

  EXPECT_EQ("", PluginSections());
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  EXPECT_FALSE(PathExists(Deployed("Extensions")));
  EXPECT_EQ("Y", merged_.GetValue("0001File_Client", "Main"));
}

TEST_F(MergeInputTest, MainCabinetWithoutDescriptorLeavesTheMergedDescriptorEmpty) {
  Serve("noini.cab", "setup/noini.cab");
  UseMain("noini.cab");
  sources_.pluginExtFilesUrl.clear();
  EXPECT_TRUE(merge_.DownloadServerIniAndMerge());
  EXPECT_EQ("", SectionNames());
  EXPECT_EQ("noini.ini", sources_.names.setupFile);
  EXPECT_FALSE(PathExists(Deployed("noini.cab")));
}

TEST_F(MergeInputTest, EmptyBinaryAndOverlongListsFetchNothingOutside) {
  // Empty.
  ServeText("Extensions/plugins.txt", "");
  merge_.DownloadServerIniAndMerge();
  EXPECT_EQ(2u, downloader_.Requests().size());

  // Binary: zero bytes end a line, separators and colons abound.
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<char>((i * 131 + 7) % 256));
  ServeText("Extensions/plugins.txt", binary);
  merge_.DownloadServerIniAndMerge();
  for (const std::string& url : downloader_.Requests())
    EXPECT_EQ(0u, url.rfind(kRootUrl, 0)) << url;

  // 5,000 characters: the first 1,023 are read, and the reading ends.
  ServeText("Extensions/plugins.txt", std::string(5000, 'a') + "\r\nplug1.cab\r\n");
  Serve("plug1.cab", "Extensions/plug1.cab");
  const size_t before = downloader_.Requests().size();
  merge_.DownloadServerIniAndMerge();
  const std::vector<std::string> requests = downloader_.Requests();
  ASSERT_EQ(before + 3, requests.size());
  EXPECT_EQ(ServerUrl("Extensions/" + std::string(1023, 'a')), requests[before + 1]);
  EXPECT_EQ("", PluginSections());
  EXPECT_FALSE(PathExists(Deployed("Extensions")));
}

TEST_F(MergeInputTest, DescriptorOfThousandsOfSectionsIsMergedWhole) {
  Serve("huge.cab", "setup/huge.cab");
  UseMain("huge.cab");
  Serve("plug1.cab", "Extensions/plug1.cab");
  ServeText("Extensions/plugins.txt", "plug1.cab\r\n");
  merge_.DownloadServerIniAndMerge();
  CIniFile::NameSet names;
  EXPECT_EQ(5002u, merged_.GetSectionNames(names));
  EXPECT_EQ("%URL%file_04999.lld", merged_.GetValue("0001File_04999", "URLName"));
  EXPECT_TRUE(PathExists(Deployed("download_all.ini")));
}

}  // namespace
