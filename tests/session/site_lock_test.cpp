#include <gtest/gtest.h>

#include "session/SiteLock.h"
#include "session_fixture.h"

namespace {

TEST(SiteRules, IntranetAndTrustedPagesOverHttpOrHttpsOnly) {
  struct Case {
    const char* url;
    int32_t zone;
    bool allowed;
  };
  const Case cases[] = {
      {"http://intranet/page", kZoneIntranet, true},
      {"https://user:pw@intranet:8443/p?q#f", kZoneIntranet, true},
      {"https://trusted.example.com/", kZoneTrusted, true},
      {"http://trusted.example.com", kZoneTrusted, true},
      {"https://www.example.com/", kZoneInternet, false},
      {"https://www.example.com/", kZoneUntrusted, false},
      {"http://localhost/", kZoneLocalMachine, false},  // the local-machine marker is not listed
      {"file:///C:/page.html", kZoneIntranet, false},
      {"ftp://intranet/", kZoneTrusted, false},
      {"HTTP://intranet/", kZoneIntranet, false},  // schemes compare exactly
      {"httpx://intranet/", kZoneIntranet, false},
      {"http", kZoneTrusted, false},
      {"", kZoneTrusted, false},
      {"https://intranet/", -1, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.allowed, SiteRulesAllow(c.url, c.zone)) << c.url;
}

class ApprovedZoneTest : public SessionTest {};

TEST_F(ApprovedZoneTest, VerdictIsLoggedAndKeptInTheSiteLockFlag) {
  const char* location = "CSiteLock<class CLoader>::InApprovedDomain";
  EXPECT_FALSE(CheckApprovedZone(std::string("https://www.example.com/"), kZoneInternet));
  EXPECT_TRUE(SiteLockFlag());
  EXPECT_TRUE(Logged("ERROR", location,
                     "Attempt to initialize ZEL-PLATFORM-LOADER ActiveX out of allowed zone."));
  EXPECT_TRUE(CheckApprovedZone(std::string("https://intranet/"), kZoneIntranet));
  EXPECT_FALSE(SiteLockFlag());
  EXPECT_TRUE(Logged("INFO", location, "ActiveX loaded for allowed zone."));

  // Without a URL or a zone: not approved, not logged, flag untouched.
  const size_t lines = debug_.Lines().size();
  EXPECT_FALSE(CheckApprovedZone(std::nullopt, kZoneIntranet));
  EXPECT_FALSE(CheckApprovedZone(std::string("https://intranet/"), std::nullopt));
  EXPECT_FALSE(SiteLockFlag());
  SetSiteLockFlag(true);
  EXPECT_FALSE(CheckApprovedZone(std::nullopt, std::nullopt));
  EXPECT_TRUE(SiteLockFlag());
  EXPECT_EQ(lines, debug_.Lines().size());
}

}  // namespace
