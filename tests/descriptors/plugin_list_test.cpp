// The plug-in list's lines as a text stream's getline into a 1024-byte
// buffer gives them, which lines name a cabinet, and the collision suffix.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "descriptors/CollisionSuffix.h"
#include "descriptors/PluginList.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

class PluginListTest : public MachineTest {
 protected:
  std::vector<std::string> Lines(const std::string& bytes) {
    const std::string path = machine_.ScratchFolder() + "\\plugins.txt";
    EXPECT_TRUE(WriteTestFile(path, bytes));
    PluginListReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line)) lines.push_back(line);
    return lines;
  }
};

using LineList = std::vector<std::string>;

TEST_F(PluginListTest, LineEndsZeroBytesAndTheLastLine) {
  EXPECT_EQ((LineList{"a.cab", "b.cab", "", "c\rd.cab", "e.cab"}),
            Lines("a.cab\r\nb.cab\n\r\nc\rd.cab\ne.cab"));
  EXPECT_EQ((LineList{"a", "c.cab"}), Lines(std::string("a\0b.cab\nc.cab\n", 14)));
  EXPECT_EQ(LineList{}, Lines(""));
  EXPECT_EQ(LineList{""}, Lines("\r\n"));
}

TEST_F(PluginListTest, ALineBeyond1023CharactersIsCutAndEndsTheReading) {
  const std::string exact(1023, 'x');
  EXPECT_EQ((LineList{exact, "next.cab"}), Lines(exact + "\r\nnext.cab\r\n"));
  EXPECT_EQ((LineList{exact}), Lines(exact + "y\r\nnext.cab\r\n"));
  // Bytes after a zero still fill the buffer.
  const std::string zeroFirst = std::string(1, '\0') + std::string(1100, 'z');
  EXPECT_EQ((LineList{""}), Lines(zeroFirst + "\nnext.cab\n"));
}

TEST(PluginLineTest, OnlyFilesBelowTheExtensionsFolderAreCabinets) {
  for (const char* line : {"a.cab", "sub/a.cab", "sub\\deeper\\a.cab", "./a.cab", "a..cab"})
    EXPECT_EQ(PluginLine::Cabinet, ClassifyPluginLine(line)) << line;
  // "." names the folder it stands in: the Extensions folder itself or one below it.
  for (const char* line : {"", "sub/", "sub\\", "../", ".", "sub/.", "sub\\.", "./."})
    EXPECT_EQ(PluginLine::Folder, ClassifyPluginLine(line)) << line;
  for (const char* line : {"../a.cab", "sub/../../a.cab", "..\\a.cab", "C:\\a.cab", "C:a.cab",
                           "\\\\srv\\s\\a.cab", "/a.cab", "\\a.cab", "a.cab:s", "...\\a.cab",
                           ". .\\a.cab"})
    EXPECT_EQ(PluginLine::OutsideExtensions, ClassifyPluginLine(line)) << line;
}

TEST(CollisionSuffixTest, DigitsOfTheRuntimeGeneratorPaddedToEight) {
  CollisionSuffix suffix;
  suffix.Seed(1);
  // The C runtime's rand() after srand(1).
  EXPECT_EQ((std::vector<int>{41, 18467, 6334, 26500, 19169}),
            (std::vector<int>{suffix.NextNumber(), suffix.NextNumber(), suffix.NextNumber(),
                              suffix.NextNumber(), suffix.NextNumber()}));
  EXPECT_EQ("12340000", CollisionSuffix::Digits(1234));
  EXPECT_EQ("00000000", CollisionSuffix::Digits(0));
  EXPECT_EQ("32767000", CollisionSuffix::Digits(32767));
  suffix.Seed(1);
  EXPECT_EQ("41000000", suffix.Next());
}

}  // namespace
