#include <filesystem>
#include <stdexcept>

#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "test_machine.h"

TestMachine::TestMachine() {
  std::string temp;
  if (!platform::QueryTempFolder(temp)) throw std::runtime_error("no temporary folder");
  scratch_ = temp + "varnik-test-" + NewGuidString();
  platform::CreateDirectoryWithParents(scratch_);
}

TestMachine::~TestMachine() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch_, ignored);
}

bool TestMachine::Configure(const std::string&) { return false; }

bool TestMachine::IsConfigurable() { return false; }
