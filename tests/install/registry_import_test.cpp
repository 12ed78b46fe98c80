#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "install/RegistryImport.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/InstallServices.h"
#include "platform/Registry.h"
#include "post_download_fixture.h"
#include "scratch_registry_key.h"
#include "test_files.h"

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

class RegistryImportTest : public PostDownloadTest {
 protected:
  std::string Value(const std::string& name) const {
    RegistryKey opened;
    std::string value;
    if (RegistryKey::Open(RegistryRoot::CurrentUser, key_.Path(), RegistryAccess::Read, opened) !=
            platform::kErrorSuccess ||
        opened.ReadString(name, value) != platform::kErrorSuccess)
      return "<none>";
    return value;
  }

  std::string KeyLine() const { return "[HKEY_CURRENT_USER\\" + key_.Path() + "]\r\n"; }

  // Imports the registry file of a registered component through the install
  // pass.
  void ImportComponentRegistry(const std::string& regText) {
    CDataStructure component = Component("client.dll");
    component.registerComponent = true;
    ASSERT_TRUE(WriteTestFile(deployment_ + "\\client.dll.reg", regText));
    Run({component});
  }

  ScratchRegistryKey key_;
};

TEST_F(RegistryImportTest, DescriptorSubstitutionsAndTargetFolderReadBack) {
  // The descriptor writes the folder as a .reg string spells it.
  host_.mergedSetup = IniFromText(
      deployment_, "[Registry]\r\nTARGETDIR=D:\\\\Client\\\\\r\n%SERVER%=tk.example\r\n");
  ImportComponentRegistry(kHeader + KeyLine() +
                          "\"Folder\"=\"[TARGETDIR]bin\"\r\n\"Server\"=\"http://%SERVER%/\"\r\n"
                          "\"Untouched\"=\"TARGETDIR\"\r\n");
  EXPECT_EQ("D:\\Client\\bin", Value("Folder"));
  EXPECT_EQ("http://tk.example/", Value("Server"));
  EXPECT_EQ("TARGETDIR", Value("Untouched"));
  // The substituted copy stays in the loader's folder; the import copy goes.
  std::vector<platform::FoundEntry> kept;
  platform::FindEntries(host_.loaderTempFolder + "\\Reg*.tmp", kept);
  EXPECT_EQ(1u, kept.size());
}

TEST_F(RegistryImportTest, Utf16RegistryFileIsImportedAsUtf16) {
  ImportComponentRegistry(Utf16Le(kHeader + KeyLine() + "\"Folder\"=\"[TARGETDIR]\"\r\n"));
  EXPECT_EQ(deployment_ + "\\", Value("Folder"));
}

TEST_F(RegistryImportTest, BadRegistryFilesImportNothingAndTheRunGoesOn) {
  DebugOutputCapture log;
  ImportComponentRegistry("this is not a registry file\r\n[HKEY_CURRENT_USER\\" + key_.Path() +
                          "]\r\n\"Folder\"=\"x\"\r\n");
  std::string binary(4096, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
  ImportComponentRegistry(binary);
  EXPECT_EQ("<none>", Value("Folder"));
  // Ten megabytes of comment before the one value.
  std::string large = kHeader + KeyLine();
  const std::string comment = ";" + std::string(1021, '-') + "\r\n";
  while (large.size() < 10u * 1024 * 1024) large += comment;
  ImportComponentRegistry(large + "\"Folder\"=\"[TARGETDIR]\"\r\n");
  EXPECT_EQ(deployment_ + "\\", Value("Folder"));
  EXPECT_TRUE(host_.failures.Entries().empty());
#ifndef _WIN32
  EXPECT_TRUE(log.Mentions("not imported: line 1: not a registry file header"));
#endif
}

TEST_F(RegistryImportTest, CopyKeepsLongLinesAndShortensTheTargetFromTheFirstTildeLine) {
  const std::string folder = machine_.ScratchFolder() + "\\long folder name";
  platform::CreateDirectoryWithParents(folder);
  const std::string source = deployment_ + "\\source.reg";
  const std::string target = deployment_ + "\\target.reg";
  // A line far longer than a 2,048-byte read comes through whole.
  const std::string longLine = "\"Data\"=hex:" + std::string(6000, '0');
  ASSERT_TRUE(WriteTestFile(
      source, longLine + "[TARGETDIR]\na=[TARGETDIR]\nb~=[TARGETDIR]\nc=[TARGETDIR]"));
  ASSERT_TRUE(CopyWithReplacement(source, target, "[TARGETDIR]", folder));
  std::string shortForm = folder;
#ifdef _WIN32
  // Windows has an 8.3 name for a folder name with blanks.
  ASSERT_TRUE(platform::QueryShortPathName(folder, shortForm));
  EXPECT_NE(folder, shortForm);
#endif
  EXPECT_EQ(
      longLine + folder + "\r\na=" + folder + "\r\nb~=" + shortForm + "\r\nc=" + shortForm + "\r\n",
      ReadTestFile(target));
  EXPECT_FALSE(CopyWithReplacement(deployment_ + "\\missing.reg", target, "x", "y"));
}

#ifndef _WIN32
bool KeyExists(RegistryRoot root, const std::string& path) {
  RegistryKey key;
  return RegistryKey::Open(root, path, RegistryAccess::Read, key) == platform::kErrorSuccess;
}

TEST_F(RegistryImportTest, ClassesRootLandsInTheMachineClassesAndForeignRootsAreLeftOut) {
  ScratchRegistryKey classes(RegistryRoot::LocalMachine, "SOFTWARE\\Classes\\Varnik.Merge");
  const std::string file = deployment_ + "\\merge.reg";
  ASSERT_TRUE(WriteTestFile(file, kHeader +
                                      std::string("[HKEY_CLASSES_ROOT\\Varnik.Merge]\r\n@=\"x\"\r\n"
                                                  "[HKEY_USERS\\.DEFAULT\\Software]\r\n") +
                                      KeyLine() + "\"A\"=\"b\"\r\n"));
  std::string detail;
  EXPECT_EQ(platform::RegistryFileMerge::Merged, platform::MergeRegistryFile(file, detail));
  EXPECT_EQ("keys under roots this machine does not keep: HKEY_USERS", detail);
  RegistryKey merged;
  std::string value;
  ASSERT_EQ(platform::kErrorSuccess, RegistryKey::Open(RegistryRoot::LocalMachine, classes.Path(),
                                                       RegistryAccess::Read, merged));
  EXPECT_EQ(platform::kErrorSuccess, merged.ReadString("", value));
  EXPECT_EQ("x", value);
  EXPECT_EQ("b", Value("A"));

  // A file that would delete a whole hive changes nothing at all.
  ASSERT_TRUE(WriteTestFile(file, kHeader + KeyLine() + "\"C\"=\"d\"\r\n[-HKEY_CLASSES_ROOT]\r\n"));
  EXPECT_EQ(platform::RegistryFileMerge::Refused, platform::MergeRegistryFile(file, detail));
  EXPECT_EQ("<none>", Value("C"));
  EXPECT_TRUE(KeyExists(RegistryRoot::LocalMachine, classes.Path()));
}
#endif

}  // namespace
