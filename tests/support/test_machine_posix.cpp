#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileSystem.h"
#include "test_machine.h"

TestMachine::TestMachine() {
  if (const char* previous = std::getenv("VARNIK_ROOT")) {
    hadPreviousRoot_ = true;
    previousRoot_ = previous;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "varnik-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a machine root");
  root_ = pattern;
  setenv("VARNIK_ROOT", root_.c_str(), 1);
  scratch_ = "C:\\scratch";
  platform::CreateDirectoryWithParents(scratch_);
}

TestMachine::~TestMachine() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
  if (hadPreviousRoot_) {
    setenv("VARNIK_ROOT", previousRoot_.c_str(), 1);
  } else {
    unsetenv("VARNIK_ROOT");
  }
}

std::string TestMachine::NetworkShareFolder() {
  const std::string folder =
      "\\\\varnik-test\\share\\" + std::filesystem::path(root_).filename().string();
  return platform::CreateDirectoryWithParents(folder) == platform::kErrorSuccess ? folder : "";
}

bool TestMachine::Configure(const std::string& machineIni) {
  std::ofstream file(root_ + "/machine.ini", std::ios::binary | std::ios::trunc);
  file << machineIni;
  return static_cast<bool>(file.flush());
}

bool TestMachine::IsConfigurable() { return true; }
