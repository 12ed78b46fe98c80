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
  EXPECT_EQ(Kind::Component, ClassifySection("File_Client"));
  EXPECT_EQ(Kind::Component, ClassifySection("0002file_client"));
  EXPECT_EQ(Kind::Component, ClassifySection("FILE_Client00000003"));
  EXPECT_EQ(Kind::Component, ClassifySection(" \t0003File_Client"));
  EXPECT_EQ(Kind::Component, ClassifySection("Profile_Settings"));
  EXPECT_EQ(Kind::Manifest, ClassifySection("Manifest_File_X"));
  EXPECT_EQ(Kind::Manifest, ClassifySection("0001MANIFEST_client"));
  EXPECT_EQ(Kind::CommonData, ClassifySection("Common Data"));
  EXPECT_EQ(Kind::CommonData, ClassifySection(" COMMON DATA"));
  EXPECT_EQ(Kind::Other, ClassifySection("Files"));
  EXPECT_EQ(Kind::Other, ClassifySection("File Client"));
  EXPECT_EQ(Kind::Other, ClassifySection(""));
}

class ComponentSectionTest : public DescriptorTest {};

TEST_F(ComponentSectionTest, ReadsEveryKeyFromAHeaderWithLeadingBlank) {
  CIniFile descriptor = LoadDescriptor(
      "[ 0003File_Client]\r\n"
      "URLName=%URL%bin/client.xxx?mirror=%URL%&keep=%url%\r\n"
      "ShortName=%SystemDir%\\client.exe\r\n"
      "Description=The client\r\n"
      "ProgId=Client.App\r\n"
      "Version=11.0.0.1\r\n"
      "Main=y\r\n"
      "CheckMD5=abc\r\n"
      "SetupOptions=/quiet /norestart\r\n"
      "ForceDownload=v4.0\r\n"
      "NETSP=2\r\n"
      "MSI=3.1\r\n"
      "REGFile=client.reg\r\n"
      "ExitCode=3010\r\n"
      "Register=Y\r\n"
      "Setup=Yes\r\n"
      "SetupHidden=1\r\n"
      "DotNet=y\r\n"
      "Extract=Y\r\n"
      "CheckSize=1024\r\n"
      "RequiresAdminRights=Y\r\n"
      "RegisterIsolated=N\r\n"
      "ContentFlavors=Lab,Clinic\r\n");
  ASSERT_EQ(Kind::Component, ClassifySection(" 0003File_Client"));

  const ComponentSection c =
      ReadComponentSection(descriptor, " 0003File_Client", "https://srv/setup/");
  EXPECT_EQ("https://srv/setup/bin/client.xxx?mirror=https://srv/setup/&keep=%url%", c.urlName);
  EXPECT_EQ("%SystemDir%\\client.exe", c.shortName);
  EXPECT_EQ("The client", c.description);
  EXPECT_EQ("Client.App", c.progId);
  EXPECT_EQ("11.0.0.1", c.version);
  EXPECT_TRUE(c.main);
  EXPECT_EQ("abc", c.checkMd5);
  EXPECT_EQ("/quiet /norestart", c.setupOptions);
  EXPECT_EQ("v4.0", c.forceDownload);
  EXPECT_EQ("2", c.netServicePack);
  EXPECT_EQ("3.1", c.msi);
  EXPECT_EQ("client.reg", c.regFile);
  EXPECT_EQ("3010", c.exitCode);
  EXPECT_TRUE(c.registerComponent);
  EXPECT_FALSE(c.setup);        // "Yes" is not "Y"
  EXPECT_FALSE(c.setupHidden);  // nor is "1"
  EXPECT_TRUE(c.dotNet);
  EXPECT_TRUE(c.extract);
  EXPECT_EQ("1024", c.checkSize);
  EXPECT_TRUE(c.requiresAdminRights);
  EXPECT_FALSE(c.registerIsolated);
  EXPECT_EQ("Lab,Clinic", c.contentFlavors);
}

TEST_F(ComponentSectionTest, MissingKeysReadEmptyAndAnEmptyDescriptionFallsBackToShortName) {
  CIniFile descriptor = LoadDescriptor(
      "[File_Bare]\r\n"
      "ShortName=bin\\bare.dll\r\n"
      "Description=\r\n"
      "[File_None]\r\n");
  const ComponentSection bare = ReadComponentSection(descriptor, "file_bare", "https://srv/");
  EXPECT_EQ("bin\\bare.dll", bare.description);
  EXPECT_EQ("", bare.urlName);
  EXPECT_EQ("", bare.contentFlavors);
  EXPECT_FALSE(bare.main);
  EXPECT_FALSE(bare.registerComponent);

  const ComponentSection none = ReadComponentSection(descriptor, "File_Absent", "https://srv/");
  EXPECT_EQ("", none.shortName);
  EXPECT_EQ("", none.description);
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
