#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/machine_root.h"
#include "trusted_root.h"

namespace {

void CopyIntoCertificates(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(platform::posix::MachineRoot()) / "certificates";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(path, folder / std::filesystem::path(path).filename(),
                             std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

TrustedRoot::TrustedRoot(const std::string& caPemPath, const std::string& crlPemPath) {
  CopyIntoCertificates(caPemPath);
  if (!crlPemPath.empty()) CopyIntoCertificates(crlPemPath);
}

// The machine root goes with the test.
TrustedRoot::~TrustedRoot() = default;
