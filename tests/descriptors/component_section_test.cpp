// Section kinds, the flag rule, component keys and flavour lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "descriptor_files.h"
#include "descriptors/ContentFlavors.h"
#include "descriptors/SetupDescriptor.h"

namespace {

using Kind = DescriptorSectionKind;

TEST(SectionKindTest, ManifestBeatsFileAndBothMayStandAnywhereInTheName) {
  for (const char* name : {"File_Client", "0002file_client", "FILE_Client00000003",
                           " \t0003File_Client", "Profile_Settings"})
    EXPECT_EQ(Kind::Component, ClassifySection(name)) << name;
  for (const char* name : {"Manifest_File_X", "0001MANIFEST_client"})
    EXPECT_EQ(Kind::Manifest, ClassifySection(name)) << name;
  for (const char* name : {"Common Data", " COMMON DATA"})
    EXPECT_EQ(Kind::CommonData, ClassifySection(name)) << name;
  for (const char* name : {"Files", "File Client", ""})
    EXPECT_EQ(Kind::Other, ClassifySection(name)) << name;
}

class ComponentSectionTest : public DescriptorTest {};

TEST_F(ComponentSectionTest, ReadsEveryKeyFromAHeaderWithLeadingBlank) {
  CIniFile descriptor = LoadDescriptor(
      "[ 0003File_Client]\r\nURLName=%URL%bin/client.xxx?mirror=%URL%&keep=%url%\r\n"
      "ShortName=%SystemDir%\\client.exe\r\nDescription=The client\r\nProgId=Client.App\r\n"
      "Version=11.0.0.1\r\nMain=y\r\nCheckMD5=abc\r\nSetupOptions=/quiet /norestart\r\n"
      "ForceDownload=v4.0\r\nNETSP=2\r\nMSI=3.1\r\nREGFile=client.reg\r\nExitCode=3010\r\n"
      "Register=Y\r\nSetup=Yes\r\nSetupHidden=1\r\nDotNet=y\r\nExtract=Y\r\nCheckSize=1024\r\n"
      "RequiresAdminRights=Y\r\nRegisterIsolated=N\r\nContentFlavors=Lab,Clinic\r\n");
  ASSERT_EQ(Kind::Component, ClassifySection(" 0003File_Client"));

  const ComponentSection c =
      ReadComponentSection(descriptor, " 0003File_Client", "https://srv/setup/");
  EXPECT_EQ("https://srv/setup/bin/client.xxx?mirror=https://srv/setup/&keep=%url%", c.urlName);
  EXPECT_EQ((std::vector<std::string>{"%SystemDir%\\client.exe", "The client", "Client.App",
                                      "11.0.0.1", "abc", "/quiet /norestart", "v4.0", "2", "3.1",
                                      "client.reg", "3010", "1024", "Lab,Clinic"}),
            (std::vector<std::string>{c.shortName, c.description, c.progId, c.version, c.checkMd5,
                                      c.setupOptions, c.forceDownload, c.netServicePack, c.msi,
                                      c.regFile, c.exitCode, c.checkSize, c.contentFlavors}));
  EXPECT_TRUE(c.main && c.registerComponent && c.dotNet && c.extract && c.requiresAdminRights);
  EXPECT_FALSE(c.setup);        // "Yes" is not "Y"
  EXPECT_FALSE(c.setupHidden);  // nor is "1"
  EXPECT_FALSE(c.registerIsolated);
}

TEST_F(ComponentSectionTest, MissingKeysReadEmptyAndAnEmptyDescriptionFallsBackToShortName) {
  CIniFile descriptor =
      LoadDescriptor("[File_Bare]\r\nShortName=bin\\bare.dll\r\nDescription=\r\n[File_None]\r\n");
  const ComponentSection bare = ReadComponentSection(descriptor, "file_bare", "https://srv/");
  EXPECT_EQ("bin\\bare.dll", bare.description);
  EXPECT_EQ("", bare.urlName + bare.contentFlavors);
  EXPECT_FALSE(bare.main || bare.registerComponent);

  const ComponentSection none = ReadComponentSection(descriptor, "File_Absent", "https://srv/");
  EXPECT_EQ("", none.shortName + none.description);
}

TEST(FlavorListTest, SplitsOnCommasWhenThereAreAnyElseOnSemicolons) {
  EXPECT_EQ((std::vector<std::string>{"A", "B;C"}), SplitFlavorList("A,B;C"));
  EXPECT_EQ((std::vector<std::string>{"A", "B", ""}), SplitFlavorList("A;B;"));
}

TEST(FlavorListTest, AcceptsByEntryWithoutRegardToCaseOrByStarEmptyListOrEmptyFlavour) {
  EXPECT_TRUE(FlavorListAccepts("Lab;Clinic", "clinic"));
  EXPECT_TRUE(FlavorListAccepts("A,B;C", "b;c"));
  EXPECT_FALSE(FlavorListAccepts("A,B;C", "C"));
  EXPECT_FALSE(FlavorListAccepts("A, B", "B"));
  EXPECT_FALSE(FlavorListAccepts("Labs", "Lab"));

  EXPECT_TRUE(FlavorListAccepts("*", "Lab"));
  EXPECT_TRUE(FlavorListAccepts("", "Lab"));
  EXPECT_TRUE(FlavorListAccepts("Clinic", ""));
  // "*" counts only as the whole list.
  EXPECT_FALSE(FlavorListAccepts("*,Clinic", "Lab"));
}

}  // namespace
