// The descriptor download and merge through the control's own transfer
// against the sample platform (nginx): order, collisions, renumbering, the
// clean-up, what the server may get wrong, and local mode from a package
// folder.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "infra/StringHelpers.h"
#include "merge_fixture.h"
#include "platform/FileSystem.h"
#include "test_files.h"

namespace {

using Strings = std::vector<std::string>;

class ServerMergeTest : public PlatformMergeTest {
 protected:
  // The request lines of the descriptors nginx served, in order.
  Strings DescriptorRequests() const {
    Strings requests;
    for (const std::string& line : served_.Requests()) {
      const size_t start = line.find("/wnbin/deploy/");
      if (start == std::string::npos) continue;
      requests.push_back(line.substr(start + 14, line.rfind(' ') - start - 14));
    }
    return requests;
  }

  void ExpectNothingLeftBehind() {
    for (const char* name : {"VuvoViziz_setup.cab", "VuvoViziz_setup.ini", "custom_modules.cab",
                             "custom_modules.ini", "plugins.txt", "Extensions"})
      EXPECT_FALSE(PathExists(Deployed(name))) << name;
  }
};

TEST_F(ServerMergeTest, MergesExtensionAndPluginsInTheFixedOrder) {
  UseMain("VuvoViziz_setup.cab");
  UseExtension("custom_modules.cab");
  UsePluginList("plugins.txt");

  EXPECT_TRUE(merge_->DownloadServerIniAndMerge());

  EXPECT_EQ((Strings{"setup/custom_modules.cab", "Extensions/plugins.txt", "Extensions/plug1.cab",
                     "Extensions/plug2.cab", "Extensions/sub/plug3.cab", "setup/VuvoViziz_setup.cab"}),
            DescriptorRequests());
  // The extension's File_A collides and takes the suffix of seed 1; its
  // " File_B" loses the blank; the shared "Settings" keeps the main entries.
  // Plug-in n is numbered n + 1; a blank after the number stays.
  EXPECT_EQ(
      "0001File_A|0001File_A41000000|0001File_B|0001File_Client|0001Manifest_M|0002File_P1|"
      "0002Manifest_X|0003 File_P2|0003Manifest_X|0004File_P3|Common Data|Settings",
      SectionNames());
  EXPECT_EQ("%URL%main-a.lld", merged_.GetValue("0001File_A", "URLName"));
  EXPECT_EQ("%URL%ext-a.lld", merged_.GetValue("0001File_A41000000", "URLName"));
  EXPECT_EQ("main", merged_.GetValue("Settings", "Origin"));
  EXPECT_EQ("x1.manifest", merged_.GetValue("0002Manifest_X", "ShortName"));
  EXPECT_EQ("x2.manifest", merged_.GetValue("0003Manifest_X", "ShortName"));
  EXPECT_TRUE(Logged("INFO", "CLoader::DownloadFilesList",
                     "FileList contains 'sub/'that is path and not the file name. Skipped."));

  CIniFile written;
  ASSERT_TRUE(written.Load(Deployed("download_all.ini")));
  CIniFile::NameSet changed;
  EXPECT_FALSE(written.CollectChangedSections(merged_, changed)) << *changed.begin();
  EXPECT_FALSE(merged_.CollectChangedSections(written, changed)) << *changed.begin();

  EXPECT_EQ("VuvoViziz_setup.ini", sources_.names.setupFile);
  EXPECT_EQ("VuvoViziz_setup.ini", sources_.names.mainDescriptorFile);
  EXPECT_EQ("custom_modules.ini", sources_.names.setupExtFile);
  ExpectNothingLeftBehind();
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(ServerMergeTest, MainDescriptorAloneIsLoadedAsItIs) {
  UseMain("VuvoViziz_setup.cab");
  EXPECT_TRUE(merge_->DownloadServerIniAndMerge());
  EXPECT_EQ(Strings{"setup/VuvoViziz_setup.cab"}, DescriptorRequests());
  EXPECT_EQ("Common Data|File_A|File_Client|Manifest_M|Settings", SectionNames());
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  ExpectNothingLeftBehind();
}

TEST_F(ServerMergeTest, FailingPluginsAndCustomModulesLeaveOnlyTheMainDescriptor) {
  UseMain("VuvoViziz_setup.cab");
  UseExtension("gone/custom_modules.cab");
  sources_.names.setupExtFile = "custom_modules.cab";
  UsePluginList("gone.txt");

  EXPECT_TRUE(merge_->DownloadServerIniAndMerge());

  // Numbered for the plug-ins all the same, but nothing merged: no file.
  EXPECT_EQ("0001File_A|0001File_Client|0001Manifest_M|Common Data|Settings", SectionNames());
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  EXPECT_FALSE(PathExists(Deployed("gone.txt")));
  ExpectNothingLeftBehind();
  // custom_modules.cab only warns; the plug-ins are reported.
  EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadIniFile",
                     ServerUrl("setup/gone/custom_modules.cab") +
                         " - Failed to download this file. Error code 0x80004005"));
  const std::vector<FailureList::Entry> entries = failures_.Entries();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ(ServerUrl("Extensions/gone1.cab") + " - Failed to download this file. Error code 0x80004005",
            entries[0].file);
  EXPECT_EQ("", entries[0].description);
}

TEST_F(ServerMergeTest, PluginListThatCannotBeFetchedMergesNoPlugins) {
  UseMain("VuvoViziz_setup.cab");
  UsePluginList("missing.txt");
  merge_->DownloadServerIniAndMerge();
  EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadFilesList", "Extensions files list creation aborted."));
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  EXPECT_FALSE(PathExists(Deployed("missing.txt")));
  ExpectNothingLeftBehind();
}

// The main descriptor is the one that must come: each way it can fail stops
// the start-up with the text for the user, reports the file and leaves
// nothing of the run behind.
TEST_F(ServerMergeTest, MainDescriptorFailuresRaiseTheUsersText) {
  struct Case {
    std::string url;
    const char* name;
    const char* error;
    const char* report;
  };
  const Case cases[] = {
      {ServerUrl("setup/Missing_setup.cab"), "Missing_setup.cab", "Failed to download this file - Missing_setup.cab",
       " - Failed to download this file. Error code 0x80004005"},
      // The server's error page, with its status.
      {PlatformRoot() + "/broken/Broken_setup.cab", "Broken_setup.cab",
       "Failed to download this file - Broken_setup.cab", " - Failed to download this file. Error code 0x80004005"},
      {ServerUrl("unsigned/unsigned_setup.cab"), "unsigned_setup.cab",
       "This file has no digital signature or signature cannot be validated - unsigned_setup.cab",
       " - This file has no digital signature or signature cannot be validated."},
      // An error page the server calls a success.
      {ServerUrl("unsigned/Error_setup.cab"), "Error_setup.cab",
       "This file has no digital signature or signature cannot be validated - Error_setup.cab",
       " - This file has no digital signature or signature cannot be validated."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    failures_.Clear();
    merged_ = CIniFile();
    sources_.setupFileUrl = c.url;
    sources_.names.setupFile = c.name;
    UseExtension("custom_modules.cab");
    UsePluginList("one.txt");
    try {
      merge_->DownloadServerIniAndMerge();
      ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(c.error, std::string(error.what()));
    }
    EXPECT_TRUE(Logged("INFO", "CLoader::DownloadIniFiles", c.error));
    const std::vector<FailureList::Entry> entries = failures_.Entries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(c.url + c.report, entries[0].file);
    EXPECT_EQ("", SectionNames());
    EXPECT_FALSE(PathExists(Deployed(c.name)));
    ExpectNothingLeftBehind();
    EXPECT_FALSE(PathExists(Deployed("one.txt")));
  }
}

TEST_F(ServerMergeTest, LinesLeadingOutOfTheExtensionsFolderAreNeverFetchedNorOpened) {
  // nginx serves a cabinet for "../outside.cab"; one planted beside the
  // deployment must be neither unpacked nor deleted.
  ASSERT_TRUE(WriteTestFile(Deployed("victim.cab"), ReadTestFile(ServedFile("wnbin/deploy/Extensions/plug2.cab"))));
  UseMain("VuvoViziz_setup.cab");
  UsePluginList("hostile.txt");

  merge_->DownloadServerIniAndMerge();

  for (const char* line : {"../outside.cab", "..\\victim.cab", "sub/../../outside.cab", "C:\\evil.cab",
                           "c:evil.cab", "\\\\server\\share\\evil.cab", "/abs.cab", "plug1.cab:stream",
                           ". ./outside.cab", "...\\victim.cab"}) {
    SCOPED_TRACE(line);
    EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadFilesList",
                       std::string("FileList contains '") + line +
                           "' that names no file inside the Extensions folder. Skipped."));
  }
  EXPECT_EQ((Strings{"Extensions/hostile.txt", "Extensions/plug1.cab", "setup/VuvoViziz_setup.cab"}),
            DescriptorRequests());
  EXPECT_EQ("x1.manifest", merged_.GetValue("0002Manifest_X", "ShortName"));
  EXPECT_TRUE(PathExists(Deployed("victim.cab")));
  EXPECT_FALSE(PathExists(Deployed("victim.ini")));
  EXPECT_FALSE(PathExists(Deployed("outside.cab")));
  EXPECT_FALSE(PathExists(Deployed("outside.ini")));
  EXPECT_FALSE(PathExists("C:\\evil.cab"));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(ServerMergeTest, MainCabinetWithoutDescriptorLeavesTheMergedDescriptorEmpty) {
  UseMain("noini.cab");
  EXPECT_TRUE(merge_->DownloadServerIniAndMerge());
  EXPECT_EQ("", SectionNames());
  EXPECT_EQ("noini.ini", sources_.names.setupFile);
  EXPECT_FALSE(PathExists(Deployed("noini.cab")));
}

TEST_F(ServerMergeTest, EmptyBinaryAndOverlongListsFetchNothingOutside) {
  UseMain("VuvoViziz_setup.cab");
  UsePluginList("empty.txt");
  merge_->DownloadServerIniAndMerge();
  EXPECT_EQ((Strings{"Extensions/empty.txt", "setup/VuvoViziz_setup.cab"}), DescriptorRequests());

  // Binary: zero bytes end a line, separators and colons abound; whatever
  // is asked for lies below the server's Extensions folder.
  UsePluginList("binary.txt");
  merge_->DownloadServerIniAndMerge();
  for (const std::string& request : DescriptorRequests())
    EXPECT_TRUE(request.rfind("Extensions/", 0) == 0 || request == "setup/VuvoViziz_setup.cab") << request;
  for (const std::string& line : served_.Requests())
    EXPECT_NE(std::string::npos, line.find(" /wnbin/deploy/")) << line;

  // 5,000 characters: the first 1,023 are read, and the reading ends. The
  // missing cabinet is asked for twice: the moniker, then the web client.
  const size_t before = DescriptorRequests().size();
  UsePluginList("overlong.txt");
  merge_->DownloadServerIniAndMerge();
  const Strings requests = DescriptorRequests();
  ASSERT_EQ(before + 4, requests.size());
  EXPECT_EQ("Extensions/" + std::string(1023, 'a'), requests[before + 1]);
  EXPECT_EQ("Extensions/" + std::string(1023, 'a'), requests[before + 2]);
  EXPECT_EQ("", merged_.GetValue("0002File_P1", "ShortName"));
  EXPECT_FALSE(PathExists(Deployed("Extensions")));
}

TEST_F(ServerMergeTest, DescriptorOfThousandsOfSectionsIsMergedWhole) {
  UseMain("huge.cab");
  UsePluginList("one.txt");
  merge_->DownloadServerIniAndMerge();
  CIniFile::NameSet names;
  EXPECT_EQ(5002u, merged_.GetSectionNames(names));
  EXPECT_EQ("%URL%file_04999.lld", merged_.GetValue("0001File_04999", "URLName"));
  EXPECT_TRUE(PathExists(Deployed("download_all.ini")));
}

// Local mode takes the descriptors from the installation package's folder,
// named by a "file:///" URL, into TempLocalInis below the deployment folder,
// which stays.
class LocalMergeTest : public PlatformMergeTest {
 protected:
  LocalMergeTest() : package_(machine_.ScratchFolder() + "\\Pkg Folder\\Client") {
    // As the deployment engine forms it: blanks stay as they are.
    sources_.packageUrl = "file:///" + ReplaceAll(package_, "\\", "/");
    sources_.names.localDescriptorFolder = deploy_;
    sources_.setupFileUrl = ServerUrl("setup/VuvoViziz_setup.cab");
    sources_.setupExtFileUrl = ServerUrl("setup/custom_modules.cab");
    sources_.pluginExtFilesUrl = ServerUrl("Extensions/plugins.txt");
    sources_.pluginExtFilesName = "plugins.txt";
    sources_.names.localSetupFile = "VuvoViziz_setup.cab";
    sources_.names.localSetupExtFile = "custom_modules.cab";
  }

  // A file of the served tree (signed by the platform) into the package.
  void Package(const std::string& served, const std::string& path) {
    const std::string target = package_ + "\\" + path;
    platform::CreateDirectoryWithParents(target.substr(0, target.rfind('\\')));
    ASSERT_TRUE(WriteTestFile(target, ReadTestFile(ServedFile("wnbin/deploy/" + served))));
  }

  const std::string package_;
};

TEST_F(LocalMergeTest, TakesEverythingFromThePackageFolder) {
  Package("setup/VuvoViziz_setup.cab", "VuvoViziz_setup.cab");
  Package("setup/custom_modules.cab", "custom_modules.cab");
  Package("Extensions/plug1.cab", "Extensions\\plug1.cab");
  Package("Extensions/one.txt", "Extensions\\plugins.txt");

  EXPECT_TRUE(merge_->DownloadLocalIniAndMerge());

  const std::string root = deploy_ + "\\TempLocalInis";
  EXPECT_EQ(root, sources_.names.localDescriptorFolder);
  EXPECT_TRUE(served_.Requests().empty()) << served_.Requests()[0];
  EXPECT_EQ("VuvoViziz_setup.ini", sources_.names.localSetupFile);
  EXPECT_EQ("VuvoViziz_setup.ini", sources_.names.mainDescriptorFile);
  EXPECT_EQ("%URL%ext-a.lld", merged_.GetValue("0001File_A41000000", "URLName"));
  EXPECT_EQ("file_p1.dll", merged_.GetValue("0002File_P1", "ShortName"));
  EXPECT_TRUE(PathExists(root + "\\download_all_local.ini"));
  EXPECT_FALSE(PathExists(root + "\\Extensions"));
  EXPECT_FALSE(PathExists(root + "\\plugins.txt"));
  EXPECT_FALSE(PathExists(root + "\\VuvoViziz_setup.ini"));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(LocalMergeTest, PackageLocationThatIsNoFileUrlFindsNoList) {
  // The package is fetched over the web; the list is still looked for on
  // disk, behind the first eight characters.
  sources_.packageUrl = ServerUrl("setup");
  sources_.setupExtFileUrl.clear();

  merge_->DownloadLocalIniAndMerge();

  const std::string shown = ReplaceAll(ServerUrl("setup").substr(8), "/", "\\") + "\\Extensions\\plugins.txt";
  EXPECT_TRUE(Logged("INFO", "CLoader::DownloadFilesList", "Extension list imported from:'" + shown + "'"));
  EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadFilesList", "Extensions files list creation aborted."));
  EXPECT_EQ("main", merged_.GetValue("Settings", "Origin"));
  EXPECT_TRUE(served_.Requested("/wnbin/deploy/setup/VuvoViziz_setup.cab "));
}

}  // namespace
