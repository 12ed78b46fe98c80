#include <filesystem>

#include "personal_certificate.h"
#include "platform/posix/machine_root.h"

PersonalCertificate::PersonalCertificate(const std::string& pkcs12Path) {
  const std::filesystem::path folder = std::filesystem::path(platform::posix::MachineRoot()) / "personal";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  installed_ = !error && std::filesystem::copy_file(pkcs12Path, folder / "client.p12",
                                                    std::filesystem::copy_options::overwrite_existing, error);
}

// The machine root goes with the test.
PersonalCertificate::~PersonalCertificate() = default;
