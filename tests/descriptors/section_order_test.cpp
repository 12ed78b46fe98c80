// The order the driver walks sections in, and the folder macros replaced in
// a whole descriptor before the walk.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "descriptor_files.h"
#include "descriptors/SectionOrder.h"
#include "descriptors/ValueMacros.h"

namespace {

std::vector<std::string> Walk(const CIniFile& descriptor) {
  const DescriptorSectionNames names = OrderedSectionNames(descriptor);
  return {names.begin(), names.end()};
}

class SectionOrderTest : public DescriptorTest {};

TEST_F(SectionOrderTest, NamesAscendWithoutRegardToCaseNotInFileOrder) {
  const CIniFile descriptor = LoadDescriptor(
      "[0002File_Plugin]\r\nk=1\r\n"
      "[0001File_B]\r\nk=1\r\n"
      "[Common Data]\r\nDestination=x\r\n"
      "[0001file_a]\r\nk=1\r\n"
      "[0001Manifest_Client]\r\nShortName=client.manifest\r\n"
      "[0001File_B00000001]\r\nk=1\r\n");
  EXPECT_EQ((std::vector<std::string>{"0001file_a", "0001File_B", "0001File_B00000001",
                                      "0001Manifest_Client", "0002File_Plugin", "Common Data"}),
            Walk(descriptor));
}

TEST(SectionOrderCompareTest, LettersCompareAsLowerCaseByCharacterValue) {
  const DescriptorSectionLess less;
  // As lower case "_" (0x5F) comes before "b" (0x62); as upper case it would
  // come after "B" (0x42).
  EXPECT_TRUE(less("File_", "FileB"));
  EXPECT_FALSE(less("FileB", "File_"));
  EXPECT_TRUE(less("file_a", "FILE_B"));
  EXPECT_FALSE(less("FILE_A", "file_a"));
  EXPECT_FALSE(less("file_a", "FILE_A"));
  EXPECT_TRUE(less("File", "File_A"));
  EXPECT_TRUE(less("0009File_Z", "0010File_A"));
}

// A zero byte ends the comparison of C strings; names that differ only after
// one are still two sections, and the walk must visit both.
TEST_F(SectionOrderTest, NamesThatDifferOnlyAfterAZeroByteAreWalkedApart) {
  using namespace std::string_literals;
  const DescriptorSectionLess less;
  EXPECT_TRUE(less("File\0a"s, "FILE\0B"s));
  EXPECT_FALSE(less("FILE\0B"s, "File\0a"s));
  EXPECT_TRUE(less("File"s, "File\0a"s));
  EXPECT_FALSE(less("File\0a"s, "File"s));
  EXPECT_FALSE(less("File\0a"s, "FILE\0A"s));
  EXPECT_TRUE(less("A\0z"s, "B"s));

  const CIniFile descriptor = LoadDescriptor("[\0File_B]\r\nk=1\r\n[\0File_A]\r\nk=1\r\n"s);
  EXPECT_EQ((std::vector<std::string>{"\0File_A"s, "\0File_B"s}), Walk(descriptor));
}

class FolderMacroTest : public DescriptorTest {};

TEST_F(FolderMacroTest, EachFolderMacroIsResolvedOnceInOrderAndReplacedEverywhere) {
  CIniFile descriptor = LoadDescriptor(
      "[File_A]\r\n"
      "ShortName=%SystemDir%\\a.dll\r\n"
      "SetupOptions=/log:%TempDir%\\a.log /target:%ProgramDir%\\%ProgramDir%\r\n"
      "Keep=%tempdir% stays\r\n"
      "[%TempDir%]\r\n"
      "%TempDir%=%WindowsDir%\r\n"
      "[Common Data]\r\n"
      "Destination=%CommonDir%\\Client\r\n");

  std::vector<std::string> asked;
  const std::map<std::string, std::string> folders = {
      {"%CommonDir%", "C:\\Common %TempDir%"},  // a later macro inside an earlier folder
      {"%ProgramDir%", "C:\\Program Files"},
      {"%WindowsDir%", "C:\\Windows"},
      {"%SystemDir%", "C:\\Windows\\system32"},
      {"%TempDir%", "C:\\Temp %CommonDir%"},  // an earlier macro is not revisited
  };
  ReplaceFolderMacros(descriptor, [&](const std::string& macro) {
    asked.push_back(macro);
    return folders.at(macro);
  });

  EXPECT_EQ((std::vector<std::string>{"%CommonDir%", "%ProgramDir%", "%WindowsDir%", "%SystemDir%",
                                      "%TempDir%"}),
            asked);
  EXPECT_EQ("C:\\Windows\\system32\\a.dll", descriptor.GetValue("File_A", "ShortName"));
  EXPECT_EQ("/log:C:\\Temp %CommonDir%\\a.log /target:C:\\Program Files\\C:\\Program Files",
            descriptor.GetValue("File_A", "SetupOptions"));
  EXPECT_EQ("%tempdir% stays", descriptor.GetValue("File_A", "Keep"));
  EXPECT_EQ("C:\\Windows", descriptor.GetValue("%TempDir%", "%TempDir%"));
  EXPECT_EQ("C:\\Common C:\\Temp %CommonDir%\\Client",
            descriptor.GetValue("Common Data", "Destination"));
}

}  // namespace
