#include "signing_fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "infra/StringHelpers.h"
#include "test_files.h"

std::string FixturePath(const std::string& name) {
  const char* folder = std::getenv("VARNIK_SIGNING_FIXTURES");
  if (!folder || !*folder) {
    ADD_FAILURE() << "VARNIK_SIGNING_FIXTURES is not set; run the tests through ctest";
    return name;
  }
  return FromBuildMachine(std::string(folder) + "/" + name);
}

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
  const std::string bytes = ReadTestFile(path);
  EXPECT_FALSE(bytes.empty()) << "cannot read " << path;
  return {bytes.begin(), bytes.end()};
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  ASSERT_TRUE(WriteTestFile(path, std::string(bytes.begin(), bytes.end()))) << path;
}

std::string StageFixture(const TestMachine& machine, const std::string& name,
                         const std::string& newName) {
  const std::string staged = JoinPath(machine.ScratchFolder(), newName);
  WriteFileBytes(staged, ReadFileBytes(FixturePath(name)));
  return staged;
}

std::string StageFixture(const TestMachine& machine, const std::string& name) {
  return StageFixture(machine, name, name);
}

std::string LogLine(const std::string& level, const std::string& location,
                    const std::string& message) {
  return LogPrefix(level, location, message) + "\t";
}

std::string LogPrefix(const std::string& level, const std::string& location,
                      const std::string& messageStart) {
  return "ZEL\t" + level + "\t" + location + "\t" + messageStart;
}
