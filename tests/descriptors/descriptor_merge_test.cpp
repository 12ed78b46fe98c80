// The descriptor download and merge against signed cabinets served from a
// folder tree: order, collisions, renumbering, the clean-up, and what the
// server may get wrong.
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

#ifdef _WIN32
constexpr bool kWindowsTarget = true;
#else
constexpr bool kWindowsTarget = false;
#endif

class ServerMergeTest : public MergeTest {
 protected:
  void ServeEverything() {
    Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
    Serve("custom_modules.cab", "setup/custom_modules.cab");
    Serve("plug1.cab", "Extensions/plug1.cab");
    Serve("plug2.cab", "Extensions/plug2.cab");
    Serve("plug3.cab", "Extensions/sub/plug3.cab");
    UseMain("VuvoViziz_setup.cab");
    UseExtension("custom_modules.cab");
    UsePluginList("plugins.txt");
  }

  void ExpectNothingLeftBehind() {
    for (const char* name : {"VuvoViziz_setup.cab", "VuvoViziz_setup.ini", "custom_modules.cab",
                             "custom_modules.ini", "plugins.txt", "Extensions"})
      EXPECT_FALSE(PathExists(Deployed(name))) << name;
  }
};

TEST_F(ServerMergeTest, MergesExtensionAndPluginsInTheFixedOrder) {
  ServeEverything();
  ServeText("Extensions/plugins.txt", "plug1.cab\r\nplug2.cab\nsub/plug3.cab\r\nsub/\r\n");

  EXPECT_TRUE(merge_.DownloadServerIniAndMerge());

  EXPECT_EQ((Strings{ServerUrl("setup/custom_modules.cab"), ServerUrl("Extensions/plugins.txt"),
                     ServerUrl("Extensions/plug1.cab"), ServerUrl("Extensions/plug2.cab"),
                     ServerUrl("Extensions/sub/plug3.cab"), ServerUrl("setup/VuvoViziz_setup.cab")}),
            downloader_.Requests());
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
  Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
  UseMain("VuvoViziz_setup.cab");

  EXPECT_TRUE(merge_.DownloadServerIniAndMerge());

  EXPECT_EQ((Strings{ServerUrl("setup/VuvoViziz_setup.cab")}), downloader_.Requests());
  EXPECT_EQ("Common Data|File_A|File_Client|Manifest_M|Settings", SectionNames());
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  ExpectNothingLeftBehind();
}

TEST_F(ServerMergeTest, MainDescriptorWithoutExtensionKeepsItsName) {
  Serve("Plain_setup", "setup/Plain_setup");
  UseMain("Plain_setup");
  merge_.DownloadServerIniAndMerge();
  EXPECT_EQ("Plain_setup", sources_.names.mainDescriptorFile);
  EXPECT_EQ("main", merged_.GetValue("Settings", "Origin"));
  EXPECT_FALSE(PathExists(Deployed("Plain_setup")));
}

TEST_F(ServerMergeTest, FailingPluginsAndCustomModulesLeaveOnlyTheMainDescriptor) {
  Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
  UseMain("VuvoViziz_setup.cab");
  UseExtension("custom_modules.cab");  // not on the server
  UsePluginList("plugins.txt");
  ServeText("Extensions/plugins.txt", "gone1.cab\r\ngone2.cab\r\n");

  EXPECT_TRUE(merge_.DownloadServerIniAndMerge());

  // Numbered for the plug-ins all the same, but nothing merged: no file.
  EXPECT_EQ("0001File_A|0001File_Client|0001Manifest_M|Common Data|Settings", SectionNames());
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  ExpectNothingLeftBehind();
  // custom_modules.cab only warns; the plug-ins are reported.
  EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadIniFile",
                     ServerUrl("setup/custom_modules.cab") +
                         " - Failed to download this file. Error code 0x80004005"));
  const std::vector<FailureList::Entry> entries = failures_.Entries();
  ASSERT_EQ(2u, entries.size());
  EXPECT_EQ(ServerUrl("Extensions/gone1.cab") +
                " - Failed to download this file. Error code 0x80004005",
            entries[0].file);
  EXPECT_EQ("", entries[0].description);
}

TEST_F(ServerMergeTest, PluginListThatCannotBeFetchedMergesNoPlugins) {
  Serve("VuvoViziz_setup.cab", "setup/VuvoViziz_setup.cab");
  UseMain("VuvoViziz_setup.cab");
  UsePluginList("plugins.txt");
  merge_.DownloadServerIniAndMerge();
  EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadFilesList",
                     "Extensions files list creation aborted."));
  EXPECT_FALSE(PathExists(Deployed("download_all.ini")));
  ExpectNothingLeftBehind();
}

// The main descriptor is the one that must come: each way it can fail stops
// the start-up with the text for the user, reports the file and leaves
// nothing of the run behind.
TEST_F(ServerMergeTest, MainDescriptorFailuresRaiseTheUsersText) {
  struct Case {
    const char* served;  // fixture served as the main descriptor, or null
    const char* name;
    const char* error;
    const char* report;
    bool bothPorts;
  };
  const Case cases[] = {
      {nullptr, "Missing_setup.cab", "Failed to download this file - Missing_setup.cab",
       " - Failed to download this file. Error code 0x80004005", true},
      {"unsigned_setup.cab", "unsigned_setup.cab",
       "This file has no digital signature or signature cannot be validated - unsigned_setup.cab",
       " - This file has no digital signature or signature cannot be validated.", true},
      {"error_page.cab", "Error_setup.cab",
       "This file has no digital signature or signature cannot be validated - Error_setup.cab",
       " - This file has no digital signature or signature cannot be validated.", true},
      // Wine's trust provider accepts roots it does not know.
      {"untrusted_setup.cab", "untrusted_setup.cab",
       "Can't verify digital signature. Some certificates are not installed or are not updated - "
       "untrusted_setup.cab",
       " - Can't verify digital signature. Some certificates are not installed or are not "
       "updated.",
       !kWindowsTarget},
  };
  for (const Case& c : cases) {
    if (!c.bothPorts) continue;
    SCOPED_TRACE(c.name);
    failures_.Clear();
    merged_ = CIniFile();
    if (c.served) Serve(c.served, std::string("setup/") + c.name);
    Serve("custom_modules.cab", "setup/custom_modules.cab");
    Serve("plug1.cab", "Extensions/plug1.cab");
    ServeText("Extensions/plugins.txt", "plug1.cab\r\n");
    UseMain(c.name);
    UseExtension("custom_modules.cab");
    UsePluginList("plugins.txt");
    try {
      merge_.DownloadServerIniAndMerge();
      ADD_FAILURE() << "no error raised";
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(c.error, std::string(error.what()));
    }
    EXPECT_TRUE(Logged("INFO", "CLoader::DownloadIniFiles", c.error));
    const std::vector<FailureList::Entry> entries = failures_.Entries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(ServerUrl(std::string("setup/") + c.name) + c.report, entries[0].file);
    EXPECT_EQ("", SectionNames());
    EXPECT_FALSE(PathExists(Deployed(c.name)));
    ExpectNothingLeftBehind();
  }
}

// Local mode takes the descriptors from the installation package's folder
// into TempLocalInis below the deployment folder, which stays.
class LocalMergeTest : public MergeTest {
 protected:
  LocalMergeTest() : package_(machine_.ScratchFolder() + "\\Pkg\\Client") {
    sources_.packageUrl = "file:///" + ReplaceAll(package_, "\\", "/");
    sources_.names.localDescriptorFolder = deploy_;
    sources_.setupFileUrl = ServerUrl("setup/VuvoViziz_setup.cab");
    sources_.setupExtFileUrl = ServerUrl("setup/custom_modules.cab");
    sources_.pluginExtFilesUrl = ServerUrl("Extensions/plugins.txt");
    sources_.pluginExtFilesName = "plugins.txt";
    sources_.names.localSetupFile = "VuvoViziz_setup.cab";
    sources_.names.localSetupExtFile = "custom_modules.cab";
  }

  void Package(const std::string& fixture, const std::string& path) {
    const std::string target = package_ + "\\" + path;
    platform::CreateDirectoryWithParents(target.substr(0, target.rfind('\\')));
    ASSERT_TRUE(WriteTestFile(target, fixture.empty() ? "plug1.cab\r\n"
                                                      : ReadTestFile(DescriptorFixture(fixture))));
  }

  const std::string package_;
};

TEST_F(LocalMergeTest, TakesEverythingFromThePackageFolder) {
  Package("VuvoViziz_setup.cab", "VuvoViziz_setup.cab");
  Package("custom_modules.cab", "custom_modules.cab");
  Package("plug1.cab", "Extensions\\plug1.cab");
  Package("", "Extensions\\plugins.txt");

  EXPECT_TRUE(merge_.DownloadLocalIniAndMerge());

  const std::string root = deploy_ + "\\TempLocalInis";
  EXPECT_EQ(root, sources_.names.localDescriptorFolder);
  EXPECT_EQ((Strings{sources_.packageUrl + "/custom_modules.cab",
                     sources_.packageUrl + "/Extensions/plug1.cab",
                     sources_.packageUrl + "/VuvoViziz_setup.cab"}),
            downloader_.Requests());
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
  Package("", "Extensions\\plugins.txt");
  // The package is fetched over the web; the list is still looked for on
  // disk, behind the first eight characters.
  sources_.packageUrl = "http://pkg.example.com/client";
  downloader_.Map("http://pkg.example.com/client/", package_);
  Package("VuvoViziz_setup.cab", "VuvoViziz_setup.cab");
  sources_.setupExtFileUrl.clear();

  merge_.DownloadLocalIniAndMerge();

  EXPECT_TRUE(Logged("INFO", "CLoader::DownloadFilesList",
                     "Extension list imported from:'kg.example.com\\client\\Extensions\\plugins.txt'"));
  EXPECT_TRUE(Logged("WARNING", "CLoader::DownloadFilesList",
                     "Extensions files list creation aborted."));
  EXPECT_EQ("main", merged_.GetValue("Settings", "Origin"));
}

}  // namespace
