#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cabinet_writer.h"
#include "debug_output_capture.h"
#include "fixture_files.h"
#include "install/CCabinetExtractor.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "test_machine.h"

namespace {

const std::string kFixtures = VARNIK_CABINET_FIXTURES;
const std::string kTestData = VARNIK_TESTDATA_DIR;

class CabinetExtractorTest : public MachineTest {
 protected:
  void SetUp() override {
    extractor_ = CCabinetExtractor::Create();
    ASSERT_NE(nullptr, extractor_);
    // Deep enough that a member climbing up a few levels still lands inside
    // the scratch folder, where the test looks for it.
    destination_ = machine_.ScratchFolder() + "\\a\\b\\out";
  }

  static std::string Fixture(const std::string& relative) {
    return FromBuildMachine(kFixtures + "/" + relative);
  }

  std::string Crafted(const std::string& name, const std::vector<CraftedMember>& members) {
    const std::string folder = machine_.ScratchFolder() + "\\cabinets";
    platform::CreateDirectoryWithParents(folder);
    const std::string path = folder + "\\" + name;
    EXPECT_TRUE(WriteTestFile(path, BuildStoredCabinet(members))) << path;
    return path;
  }

  // Files of the scratch folder that are not below the destination.
  std::vector<std::string> FilesOutsideDestination() const {
    std::vector<std::string> outside;
    for (const auto& entry : ReadTree(machine_.ScratchFolder())) {
      if (entry.first.rfind("a/b/out/", 0) != 0 && entry.first.rfind("cabinets/", 0) != 0)
        outside.push_back(entry.first);
    }
    return outside;
  }

  // Each name as the middle member of a cabinet of its own: the copy fails
  // at it, names it in the log, and writes nothing after it.
  void ExpectMembersRefused(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      const std::string target = destination_ + "\\" + std::to_string(++cabinets_);
      const std::string cabinet = Crafted(
          "hostile" + std::to_string(cabinets_) + ".cab",
          {{"first.txt", "written before"}, {name, "must not be written"}, {"last.txt", "x"}});
      DebugOutputCapture log;
      EXPECT_FALSE(extractor_->Copy(cabinet, target)) << name;
      EXPECT_TRUE(log.Mentions(name)) << "the refused member is named in the log: " << name;
      EXPECT_EQ(ReadTestFile(target + "\\first.txt"), "written before") << name;
      EXPECT_FALSE(PathExists(target + "\\last.txt")) << name;
    }
  }

  std::unique_ptr<CCabinetExtractor> extractor_;
  std::string destination_;
  int cabinets_ = 0;
};

void ExpectSameTimes(const std::string& ours, const std::string& reference) {
  int64_t ourTime = 0;
  int64_t referenceTime = 0;
  ASSERT_TRUE(platform::ReadLastWriteTime(ours, ourTime)) << ours;
  ASSERT_TRUE(platform::ReadLastWriteTime(reference, referenceTime)) << reference;
#ifdef _WIN32
  // LocalFileTimeToFileTime applies today's daylight-saving bias, cabextract
  // that of the member's date.
  const int64_t difference = ourTime - referenceTime;
  EXPECT_TRUE(difference == 0 || difference == 3600 || difference == -3600)
      << ours << ": " << ourTime << " against " << referenceTime;
#else
  EXPECT_EQ(referenceTime, ourTime) << ours;
#endif
}

TEST_F(CabinetExtractorTest, GcabCabinetsComeOutAsCabextractUnpacksThem) {
  for (const std::string name : {"tree.cab", "stored.cab"}) {
    const std::string cabinet = Fixture("cabinets/" + name);
    const std::string reference = Fixture("reference/" + name);
    const std::string target = destination_ + "\\" + name;
    EXPECT_TRUE(extractor_->IsCabinet(cabinet)) << cabinet;
    ASSERT_TRUE(extractor_->Copy(cabinet, target)) << cabinet;

    const auto expected = ReadTree(reference);
    ASSERT_FALSE(expected.empty()) << reference;
    EXPECT_EQ(expected, ReadTree(target)) << name;
    for (const auto& file : expected) {
      std::string relative = file.first;
      for (char& c : relative) {
        if (c == '/') c = '\\';
      }
      ExpectSameTimes(target + "\\" + relative, reference + "\\" + relative);
    }
  }
}

TEST_F(CabinetExtractorTest, FollowsASpannedSetIntoItsNextCabinets) {
  if (!PathExists(Fixture("cabinets/multi")))
    GTEST_SKIP() << "the spanned set comes from the shared test data, which was not at "
                 << kTestData << " when the fixtures were made";
  ASSERT_TRUE(extractor_->Copy(Fixture("cabinets/multi/cabd_multi_basic_pt1.cab"), destination_));
  EXPECT_EQ(ReadTree(Fixture("reference/multi")), ReadTree(destination_));

  // Without its third part the set cannot be finished: the copy fails and
  // says which cabinet it missed, rather than asking for it for ever.
  const std::string partial = machine_.ScratchFolder() + "\\partial";
  platform::CreateDirectoryWithParents(partial);
  for (const char* part : {"cabd_multi_basic_pt1.cab", "cabd_multi_basic_pt2.cab"}) {
    ASSERT_TRUE(WriteTestFile(partial + "\\" + part,
                               ReadTestFile(Fixture(std::string("cabinets/multi/") + part))));
  }
  DebugOutputCapture log;
  EXPECT_FALSE(extractor_->Copy(partial + "\\cabd_multi_basic_pt1.cab", destination_ + "2"));
  EXPECT_TRUE(log.Mentions("cabd_multi_basic_pt3.cab"));
}

TEST_F(CabinetExtractorTest, RefusesFilesThatAreNotCabinets) {
  const std::string folder = machine_.ScratchFolder();
  ASSERT_TRUE(WriteTestFile(folder + "\\notes.txt",
                             "A text file that says MSCF and MSCF again, and nothing more.\r\n"));
  ASSERT_TRUE(WriteTestFile(folder + "\\empty.cab", ""));
  const std::string whole = ReadTestFile(Fixture("cabinets/tree.cab"));
  ASSERT_GT(whole.size(), 1000u);
  ASSERT_TRUE(WriteTestFile(folder + "\\cut.cab", whole.substr(0, whole.size() / 2)));

  for (const std::string name : {"notes.txt", "empty.cab", "cut.cab", "missing.cab"}) {
    EXPECT_FALSE(extractor_->IsCabinet(folder + "\\" + name)) << name;
    EXPECT_FALSE(extractor_->Copy(folder + "\\" + name, destination_)) << name;
  }
  EXPECT_TRUE(ReadTree(destination_).empty());
}

TEST_F(CabinetExtractorTest, FindsACabinetBehindOtherData) {
  const std::string cabinet = BuildStoredCabinet({{"inner.txt", "found behind a stub"}});
  // A stub with false starts: a bare signature and a header too short to hold
  // a cabinet.
  const std::string stub = std::string(300, 'x') + "MSCF" + std::string(100, '\0') + "MSCFMSCF";
  const std::string path = machine_.ScratchFolder() + "\\stub.exe";
  ASSERT_TRUE(WriteTestFile(path, stub + cabinet + "trailing bytes"));

  EXPECT_TRUE(extractor_->IsCabinet(path));
  ASSERT_TRUE(extractor_->Copy(path, destination_));
  EXPECT_EQ(ReadTestFile(destination_ + "\\inner.txt"), "found behind a stub");
}

TEST_F(CabinetExtractorTest, RefusesMembersWhosePathLeavesTheDestination) {
  const std::vector<std::string> hostile = {
      "..\\evil.txt", "..\\..\\evil.txt", "sub\\..\\..\\..\\evil.txt", "../evil.txt",
      "sub/../../evil.txt", "\\evil-root.txt", "/evil-root.txt", "C:\\evil-drive.txt",
      "C:evil-drive.txt", "\\\\server\\share\\evil.txt", "...\\evil.txt", ".. \\evil.txt",
      "sub\\..\\evil.txt", "file.txt:stream"};
  ExpectMembersRefused(hostile);
  EXPECT_EQ(std::vector<std::string>(), FilesOutsideDestination());
  for (const char* absolute : {"C:\\evil-root.txt", "C:\\evil-drive.txt", "\\evil-root.txt"})
    EXPECT_FALSE(PathExists(absolute)) << absolute;
}

TEST_F(CabinetExtractorTest, RefusesDeviceNamesAndNamesWindowsWouldTrim) {
  // On Windows "NUL.txt" swallows the data and "COM1" opens a serial port,
  // while the copy reports success; "name." is written as "name".
  ExpectMembersRefused({"CON", "nul.txt", "Aux.tar.gz", "sub\\com1", "LPT9.log", "prn .txt",
                        "COM\xB9.dat", "lpt0", "CONIN$", "con\\inside.txt", "deep/er/NUL",
                        "trailing.", "trailing ", "folder.\\file.txt", "folder \\file.txt",
                        "what?.txt", "star*.txt", "pipe|.txt", "tab\tname.txt"});

  // Names that only look like them are ordinary files.
  const std::vector<std::string> ordinary = {"CONSOLE.txt", "nul_file.txt", "COM10.txt",
                                             "LPT.txt",     "sub\\COMx",    ".hidden",
                                             "a.b.c",       "auxiliary\\con-fig.ini"};
  std::vector<CraftedMember> members;
  for (const std::string& name : ordinary) members.push_back({name, "plain: " + name});
  ASSERT_TRUE(extractor_->Copy(Crafted("ordinary.cab", members), destination_));
  for (const std::string& name : ordinary)
    EXPECT_EQ("plain: " + name, ReadTestFile(destination_ + "\\" + name)) << name;
}

TEST_F(CabinetExtractorTest, NextCabinetIsLookedForOnlyBesideTheCabinet) {
  const CraftedMember member{"spanned.txt", std::string(3000, 's') + " and the end"};
  // A sound set comes out whole, so each refusal below is the name's doing.
  const std::string set = machine_.ScratchFolder() + "\\set";
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(set));
  const CraftedSet sound = BuildSpannedCabinetPair(member, "part2.cab");
  ASSERT_TRUE(WriteTestFile(set + "\\part1.cab", sound.first));
  ASSERT_TRUE(WriteTestFile(set + "\\part2.cab", sound.second));
  ASSERT_TRUE(extractor_->Copy(set + "\\part1.cab", destination_ + "\\sound"));
  EXPECT_EQ(member.data, ReadTestFile(destination_ + "\\sound\\spanned.txt"));

  // The first names lead to that sound second part from another folder.
  const std::vector<std::string> names = {"..\\set\\part2.cab", "../set/part2.cab",
                                          set + "\\part2.cab", "sub\\part2.cab",
                                          "part2.cab:stream", "part2.cab.", "NUL", ".."};
  int index = 0;
  for (const std::string& name : names) {
    const std::string folder = machine_.ScratchFolder() + "\\other" + std::to_string(++index);
    ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder + "\\sub"));
    const CraftedSet hostile = BuildSpannedCabinetPair(member, name);
    ASSERT_TRUE(WriteTestFile(folder + "\\part1.cab", hostile.first));
    ASSERT_TRUE(WriteTestFile(folder + "\\sub\\part2.cab", sound.second));
    DebugOutputCapture log;
    EXPECT_FALSE(extractor_->Copy(folder + "\\part1.cab",
                                  destination_ + "\\other" + std::to_string(index)))
        << name;
    EXPECT_TRUE(log.Mentions("The next cabinet of the set, " + name + ", is refused")) << name;
  }
}

TEST_F(CabinetExtractorTest, ReplacesFilesCreatesFoldersAndAppliesTimesAndAttributes) {
  CraftedMember replaced{"sub\\keep.txt", "new content"};
  replaced.attributes = 0x21;  // read-only, archive
  CraftedMember deep{"deep\\er\\leaf.txt", "leaf"};
  deep.dosDate = (29 << 9) | (1 << 5) | 10;  // 2009-01-10
  deep.dosTime = 12 << 11;
  CraftedMember nextDay{"next-day.txt", "a day later"};
  nextDay.dosDate = (29 << 9) | (1 << 5) | 11;
  nextDay.dosTime = 12 << 11;
  CraftedMember hidden{"hidden.txt", "h"};
  hidden.attributes = 0x22;  // hidden, archive
  CraftedMember undated{"undated.txt", "no valid date"};
  undated.dosDate = 0;  // month 0
  const std::string cabinet = Crafted("attributes.cab", {replaced, deep, nextDay, hidden, undated});

  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(destination_ + "\\sub"));
  ASSERT_TRUE(WriteTestFile(destination_ + "\\sub\\keep.txt", "old content, longer than new"));
  ASSERT_TRUE(WriteTestFile(destination_ + "\\untouched.txt", "stays"));

  DebugOutputCapture log;
  // Twice: the second run replaces the read-only file the first one left.
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(extractor_->Copy(cabinet, destination_)) << "run " << run;
    EXPECT_EQ("new content", ReadTestFile(destination_ + "\\sub\\keep.txt"));
  }
  EXPECT_EQ("leaf", ReadTestFile(destination_ + "\\deep\\er\\leaf.txt"));
  EXPECT_EQ("stays", ReadTestFile(destination_ + "\\untouched.txt"));
  EXPECT_EQ("no valid date", ReadTestFile(destination_ + "\\undated.txt"));

  int64_t first = 0;
  int64_t second = 0;
  ASSERT_TRUE(platform::ReadLastWriteTime(destination_ + "\\deep\\er\\leaf.txt", first));
  ASSERT_TRUE(platform::ReadLastWriteTime(destination_ + "\\next-day.txt", second));
  EXPECT_EQ(24 * 3600, second - first);

  uint32_t attributes = 0;
  ASSERT_TRUE(platform::ReadPathAttributes(destination_ + "\\sub\\keep.txt", attributes));
  EXPECT_TRUE(attributes & platform::kFileAttributeReadOnly);
  ASSERT_TRUE(platform::ReadPathAttributes(destination_ + "\\deep\\er\\leaf.txt", attributes));
  EXPECT_FALSE(attributes & platform::kFileAttributeReadOnly);
  ASSERT_TRUE(platform::ReadPathAttributes(destination_ + "\\hidden.txt", attributes));
#ifdef _WIN32
  EXPECT_TRUE(attributes & platform::kFileAttributeHidden);
#else
  EXPECT_TRUE(log.Mentions("were not set: hidden, archive"));
#endif
  uint32_t ignored = 0;
  platform::SetPathAttributes(destination_ + "\\sub\\keep.txt", 0, ignored);
}

TEST_F(CabinetExtractorTest, KeepsToThePathLengthLimits) {
  const std::string cabinet = Crafted("short.cab", {{"ok.txt", "fits"}});
  DebugOutputCapture log;
  EXPECT_FALSE(
      extractor_->Copy(machine_.ScratchFolder() + "\\" + std::string(260, 'c'), destination_));
  // With its final "\" the destination reaches 260 characters.
  const std::string base = machine_.ScratchFolder() + "\\";
  EXPECT_FALSE(extractor_->Copy(cabinet, base + std::string(259 - base.size(), 'd')));
  EXPECT_TRUE(log.Mentions("Path too long"));

  // A member whose folder would reach 260 characters is skipped; the rest
  // of the cabinet is extracted.
  const std::string prefix = destination_ + "\\";
  const size_t folderLength = 260 - prefix.size();
  const std::string longFolder = std::string(folderLength / 2, 'e') + "\\" +
                                 std::string(folderLength - folderLength / 2 - 1, 'f');
  ASSERT_EQ(260u, prefix.size() + longFolder.size());
  const std::string mixed =
      Crafted("mixed.cab", {{longFolder + "\\skipped.txt", "x"}, {"kept.txt", "kept"}});
  EXPECT_TRUE(extractor_->Copy(mixed, destination_));
  EXPECT_EQ("kept", ReadTestFile(destination_ + "\\kept.txt"));
  EXPECT_EQ(1u, ReadTree(destination_).size());
  EXPECT_TRUE(log.Mentions("skipped"));
}

// A member whose folder fits but whose whole path is longer than MAX_PATH
// comes out like any other, its time and attributes included, on every
// system alike.
TEST_F(CabinetExtractorTest, MemberPathsBeyondMaxPathComeOutWhole) {
  // A cabinet stores names of up to 255 characters.
  const std::string prefix = destination_ + "\\";
  CraftedMember longest{std::string(120, 'g') + "\\" + std::string(129, 'h'), "long"};
  longest.attributes = 0x21;  // read-only, archive
  CraftedMember reference{"reference.txt", "short"};
  ASSERT_GT(prefix.size() + longest.name.size(), 260u);

  DebugOutputCapture log;
  // Twice: the second run replaces the read-only file the first one left.
  for (int run = 0; run < 2; ++run) {
    ASSERT_TRUE(extractor_->Copy(Crafted("long.cab", {longest, reference}), destination_));
    EXPECT_EQ("long", ReadTestFile(prefix + longest.name));
  }
  EXPECT_FALSE(log.Mentions("Cannot set"));
  int64_t longTime = 0;
  int64_t referenceTime = 0;
  ASSERT_TRUE(platform::ReadLastWriteTime(prefix + longest.name, longTime));
  ASSERT_TRUE(platform::ReadLastWriteTime(prefix + reference.name, referenceTime));
  EXPECT_EQ(referenceTime, longTime);
  uint32_t attributes = 0;
  ASSERT_TRUE(platform::ReadPathAttributes(prefix + longest.name, attributes));
  EXPECT_TRUE(attributes & platform::kFileAttributeReadOnly);
  uint32_t ignored = 0;
  EXPECT_TRUE(platform::SetPathAttributes(prefix + longest.name, 0, ignored));
  EXPECT_EQ(platform::kErrorSuccess, platform::DeletePath(prefix + longest.name));
}

TEST_F(CabinetExtractorTest, CancelledExtractionWritesNothing) {
  const std::string cabinet = Crafted("cancel.cab", {{"a.txt", "a"}, {"b.txt", "b"}});
  extractor_->SetCancel(true);
  EXPECT_FALSE(extractor_->Copy(cabinet, destination_));
  EXPECT_TRUE(ReadTree(destination_).empty());
  extractor_->SetCancel(false);
  EXPECT_TRUE(extractor_->Copy(cabinet, destination_));
  EXPECT_EQ(2u, ReadTree(destination_).size());
}

}  // namespace
