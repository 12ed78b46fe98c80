// The descriptor merge over cabinets a real server would not hand out as
// they are (the sample platform signs what it serves with its own
// certificate): a main descriptor without an extension, one signed by a CA
// nobody trusts, damaged and odd cabinets; and a link planted in the
// Extensions folder. The rest of the merge runs against nginx
// (descriptor_merge_platform_test.cpp).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "links.h"
#include "merge_fixture.h"
#include "platform/FileSystem.h"
#include "test_files.h"

namespace {

#ifdef _WIN32
constexpr bool kWindowsTarget = true;
#else
constexpr bool kWindowsTarget = false;
#endif

TEST_F(MergeTest, MainDescriptorWithoutExtensionKeepsItsName) {
  Serve("Plain_setup", "setup/Plain_setup");
  UseMain("Plain_setup");
  merge_->DownloadServerIniAndMerge();
  EXPECT_EQ("Plain_setup", sources_.names.mainDescriptorFile);
  EXPECT_EQ("main", merged_.GetValue("Settings", "Origin"));
  EXPECT_FALSE(PathExists(Deployed("Plain_setup")));
}

TEST_F(MergeTest, MainDescriptorOfAnUntrustedSignerRaisesTheCertificatesText) {
  if (kWindowsTarget) GTEST_SKIP() << "Wine's trust provider accepts roots it does not know";
  Serve("untrusted_setup.cab", "setup/untrusted_setup.cab");
  UseMain("untrusted_setup.cab");
  try {
    merge_->DownloadServerIniAndMerge();
    ADD_FAILURE() << "no error raised";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(
        "Can't verify digital signature. Some certificates are not installed or are not updated - "
        "untrusted_setup.cab",
        std::string(error.what()));
  }
  const std::vector<FailureList::Entry> entries = failures_.Entries();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ(ServerUrl("setup/untrusted_setup.cab") +
                " - Can't verify digital signature. Some certificates are not installed or are not updated.",
            entries[0].file);
  EXPECT_FALSE(PathExists(Deployed("untrusted_setup.cab")));
}

TEST_F(MergeTest, CleanUpRemovesALinkInTheExtensionsFolderAndNotWhatItPointsTo) {
  Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
  UseMain("VuvoViziz_setup.cab");
  UsePluginList("plugins.txt");
  const std::string outside = machine_.ScratchFolder() + "\\keep";
  ASSERT_TRUE(platform::CreateDirectoryWithParents(outside) == platform::kErrorSuccess);
  ASSERT_TRUE(WriteTestFile(outside + "\\precious.txt", "keep me"));
  platform::CreateDirectoryWithParents(Deployed("Extensions"));
  if (!MakeFolderLink(Deployed("Extensions\\link"), outside))
    GTEST_SKIP() << "this system makes neither symbolic links nor junctions";
  ServeText("Extensions/plugins.txt", "plug1.cab\r\n");
  Serve("plug1.cab", "Extensions/plug1.cab");

  merge_->DownloadServerIniAndMerge();

  EXPECT_EQ("keep me", ReadTestFile(outside + "\\precious.txt"));
  EXPECT_FALSE(PathExists(Deployed("Extensions")));
}

TEST_F(MergeTest, DamagedOddAndEmptyCabinetsAreLeftOut) {
  Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
  UseMain("VuvoViziz_setup.cab");
  UsePluginList("plugins.txt");
  std::string damaged = ReadTestFile(DescriptorFixture("plug1.cab"));
  ASSERT_GT(damaged.size(), 400u);
  damaged[300] = static_cast<char>(damaged[300] ^ 0x5A);  // inside the compressed data
  ServeText("Extensions/damaged.cab", damaged);
  ServeText("Extensions/signed-program.cab", ReadTestFile(FixturePath("signed.exe")));
  Serve("noini.cab", "Extensions/noini.cab");
  ServeText("Extensions/plugins.txt", "damaged.cab\r\nsigned-program.cab\r\nnoini.cab\r\n");

  merge_->DownloadServerIniAndMerge();

  EXPECT_EQ("", merged_.GetValue("0002File_P1", "ShortName"));
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  EXPECT_FALSE(PathExists(Deployed("Extensions")));
  EXPECT_EQ("Y", merged_.GetValue("0001File_Client", "Main"));
}

}  // namespace
