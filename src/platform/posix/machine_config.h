// machine.ini in the machine root: the facts a real Windows machine would
// report about itself. Every key is optional; the defaults describe a
// Windows 10 workstation whose user is not an administrator.
//
//   [os]
//   major=10  minor=0  build=19045  platform=2  product_type=1
//   service_pack_major=0  service_pack_minor=0  service_pack=
//   [user]
//   name=user            one plain folder name, else the default stays
//   administrator=false
#pragma once

#include <cstdint>
#include <string>

namespace platform::posix {

struct MachineConfig {
  uint32_t osMajor = 10;
  uint32_t osMinor = 0;
  uint32_t osBuild = 19045;
  uint32_t osPlatform = 2;
  uint32_t productType = 1;
  uint32_t servicePackMajor = 0;
  uint32_t servicePackMinor = 0;
  std::string servicePack;
  std::string userName = "user";
  bool userIsAdministrator = false;
};

// Reads machine.ini of the current root; a missing file or key keeps the
// default.
MachineConfig LoadMachineConfig();

}  // namespace platform::posix
