// The security manager's zones under Wine: a site listed as trusted in the
// user's zone map, one that is not, and a thread without COM, where no
// security manager can be had.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "environment/PlatformChecks.h"
#include "platform/Registry.h"
#include "scratch_registry_key.h"
#include "test_machine.h"

namespace {

class ZoneMapTest : public MachineTest {
 protected:
  ZoneMapTest() : checks_(settings_) {}
  EnvironmentSettingsValues settings_;
  PlatformChecks checks_;
};

TEST_F(ZoneMapTest, TrustedSitesOfTheZoneMapAndNothingElse) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    ScratchRegistryKey domain(
        platform::RegistryRoot::CurrentUser,
        "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\"
        "varnik-test.example");
    platform::RegistryKey key;
    ASSERT_EQ(platform::kErrorSuccess,
              platform::RegistryKey::Create(domain.Root(), domain.Path(), key));
    ASSERT_EQ(platform::kErrorSuccess, key.WriteDword("https", 2));

    settings_.tkRootUrl = "https://varnik-test.example/tk";
    EXPECT_TRUE(checks_.IsServerInTrustedZone());
    settings_.tkRootUrl = "https://elsewhere.invalid/tk";
    EXPECT_FALSE(checks_.IsServerInTrustedZone());
  }
  CoUninitialize();
}

TEST_F(ZoneMapTest, WithoutASecurityManagerTheServerCountsAsTrusted) {
  settings_.tkRootUrl = "https://elsewhere.invalid/tk";
  bool trusted = false;
  std::thread([&] { trusted = checks_.IsServerInTrustedZone(); }).join();
  EXPECT_TRUE(trusted);
}

}  // namespace
