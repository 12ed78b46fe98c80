// The shared collection of real and hostile cabinets: every one that
// cabextract unpacks comes out byte for byte as cabextract has it, and every
// one it refuses is refused or partly extracted, inside its own folder.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fixture_files.h"
#include "install/CCabinetExtractor.h"
#include "test_machine.h"

namespace {

const std::string kFixtures = VARNIK_CABINET_FIXTURES;
const std::string kTestData = VARNIK_TESTDATA_DIR;

// (sound, file name) pairs of EXPECTED.txt.
std::vector<std::pair<bool, std::string>> ReadExpectations(const std::string& folder) {
  std::vector<std::pair<bool, std::string>> expectations;
  std::istringstream lines(ReadTestFile(folder + "\\EXPECTED.txt"));
  std::string verdict;
  std::string name;
  while (lines >> verdict >> name) expectations.emplace_back(verdict == "ok", name);
  return expectations;
}

class CabinetCorpusTest : public MachineTest {
 protected:
  void SetUp() override {
    corpus_ = FromBuildMachine(kTestData + "/cabinets");
    if (!PathExists(corpus_ + "\\EXPECTED.txt"))
      GTEST_SKIP() << "the shared cabinet test data is not at " << kTestData
                   << " (set VARNIK_TESTDATA_DIR when configuring)";
    expectations_ = ReadExpectations(corpus_);
    ASSERT_FALSE(expectations_.empty());
  }

  std::string corpus_;
  std::vector<std::pair<bool, std::string>> expectations_;
};

TEST_F(CabinetCorpusTest, SoundCabinetsMatchCabextract) {
  auto extractor = CCabinetExtractor::Create();
  ASSERT_NE(nullptr, extractor);
  int checked = 0;
  for (const auto& [sound, name] : expectations_) {
    if (!sound) continue;
    const std::string target = machine_.ScratchFolder() + "\\ok\\" + name;
    EXPECT_TRUE(extractor->IsCabinet(corpus_ + "\\" + name)) << name;
    EXPECT_TRUE(extractor->Copy(corpus_ + "\\" + name, target)) << name;
    const auto reference = ReadTree(FromBuildMachine(kFixtures + "/reference/" + name));
    EXPECT_FALSE(reference.empty()) << name;
    EXPECT_EQ(reference, ReadTree(target)) << name;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

TEST_F(CabinetCorpusTest, DamagedAndHostileCabinetsStayInsideTheirFolder) {
  auto extractor = CCabinetExtractor::Create();
  ASSERT_NE(nullptr, extractor);
  const std::string root = machine_.ScratchFolder() + "\\fail";
  for (const auto& [sound, name] : expectations_) {
    if (sound) continue;
    // Refused or partly extracted are both fine; the copy must return.
    extractor->Copy(corpus_ + "\\" + name, root + "\\" + name + "\\out");
  }
  for (const auto& entry : ReadTree(root)) {
    const size_t slash = entry.first.find('/');
    ASSERT_NE(std::string::npos, slash) << entry.first;
    EXPECT_EQ(0u, entry.first.compare(slash, 5, "/out/")) << entry.first;
  }
  for (const auto& entry : ReadTree(machine_.ScratchFolder()))
    EXPECT_EQ(0u, entry.first.rfind("fail/", 0)) << entry.first;
}

}  // namespace
