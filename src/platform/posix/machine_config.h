// machine.ini in the machine root: the facts a real Windows machine would
// report about itself. Every key is optional; the defaults describe a
// Windows 10 workstation whose user is not an administrator.
//
//   [os]
//   major=10  minor=0  build=19045  platform=2  product_type=1
//   service_pack_major=0  service_pack_minor=0  service_pack=
//   suite_mask=0x100        decimal, or hexadecimal after "0x"
//   [user]
//   name=user            one plain folder name, else the default stays
//   administrator=false
//   elevation_type=1        TokenElevationType: 1 default, 2 full, 3 limited
//   [browser]
//   ie_protected_mode=      empty: no ieframe.dll with the protected-mode
//                           function; "on", "off", or the failure HRESULT
//                           the function returns (0x80070005)
//   [zones]                 the security manager's zone of a host and of
//   example.com=2           every host below that domain; loopback hosts
//                           are 1 (local intranet) unless listed, others 3
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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
  uint32_t suiteMask = 0x100;  // VER_SUITE_SINGLEUSERTS, as a workstation reports
  std::string userName = "user";
  bool userIsAdministrator = false;
  uint32_t elevationType = 1;
  std::string ieProtectedMode;
  // Host or domain names in lower case, in file order, with their zone.
  std::vector<std::pair<std::string, uint32_t>> zones;
};

// Reads machine.ini of the current root; a missing file or key keeps the
// default.
MachineConfig LoadMachineConfig();

}  // namespace platform::posix
