#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/machine_root.h"
#include "signing_fixtures.h"

namespace {

void CopyIntoCertificates(const std::string& fixture) {
  const std::filesystem::path folder = std::filesystem::path(platform::posix::MachineRoot()) / "certificates";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(FixturePath(fixture),
                             folder / std::filesystem::path(fixture).filename(),
                             std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

TrustedTestRoot::TrustedTestRoot(bool withCrl) {
  CopyIntoCertificates("pki/ca.pem");
  if (withCrl) CopyIntoCertificates("pki/crl.pem");
}

// The machine root goes with the test.
TrustedTestRoot::~TrustedTestRoot() = default;
