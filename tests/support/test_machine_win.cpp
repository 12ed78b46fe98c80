#include <cstdlib>
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
  if (!shareHostFolder_.empty()) std::filesystem::remove_all(shareHostFolder_, ignored);
}

std::string TestMachine::NetworkShareFolder() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix || !*prefix) return "";
  const std::string name = scratch_.substr(scratch_.find_last_of('\\') + 1);
  std::string share = std::string("Z:") + prefix + "\\dosdevices\\unc\\varnik-test\\share";
  for (char& c : share) {
    if (c == '/') c = '\\';
  }
  const platform::Win32Error made = platform::CreateDirectoryWithParents(share);
  if (made != platform::kErrorSuccess && made != platform::kErrorAlreadyExists) return "";
  shareHostFolder_ = share + "\\" + name;
  const std::string folder = "\\\\varnik-test\\share\\" + name;
  return platform::CreateDirectoryWithParents(folder) == platform::kErrorSuccess ? folder : "";
}

bool TestMachine::Configure(const std::string&) { return false; }

bool TestMachine::IsConfigurable() { return false; }
