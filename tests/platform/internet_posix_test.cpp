// The posix port's own readings of what a server or a page gives: URLs,
// the proxy override list and the cookie engine's list.
#include <gtest/gtest.h>

#include "platform/Internet.h"
#include "platform/posix/http_exchange.h"
#include "platform/posix/internet_settings.h"

namespace {

using platform::InetCrackUrl;
using platform::UrlComponents;

TEST(InetCrackUrlTest, HostAndPortOfServerUrls) {
  UrlComponents parts;
  ASSERT_EQ(platform::kErrorSuccess, InetCrackUrl("https://user:pw@[::1]:8443/root/?a=b", 256, parts));
  EXPECT_EQ("::1", parts.host);
  EXPECT_EQ(8443, parts.port);
  EXPECT_EQ(platform::kInternetSchemeHttps, parts.scheme);
  ASSERT_EQ(platform::kErrorSuccess, InetCrackUrl("HTTP://Server.Example#x", 256, parts));
  EXPECT_EQ("Server.Example", parts.host);
  EXPECT_EQ(80, parts.port);

  EXPECT_EQ(platform::kErrorInsufficientBuffer, InetCrackUrl("http://server/", 6, parts));
  for (const char* bad : {"http://[::1/", "http://[::1]x/", "http://h:65536/", "http://h:8o/",
                          // a literal holding a bracket could not be written back
                          "https://:@[[]?83", "http://[a[b]:80/"})
    EXPECT_NE(platform::kErrorSuccess, InetCrackUrl(bad, 256, parts)) << bad;
}

TEST(ProxyBypassTest, OverrideEntriesLocalNamesAndLoopback) {
  using platform::posix::ProxyBypassed;
  EXPECT_TRUE(ProxyBypassed("build.corp.example", "*.CORP.example; other"));
  EXPECT_TRUE(ProxyBypassed("intranet", "<local>"));
  EXPECT_FALSE(ProxyBypassed("intranet.example", "<local>"));
  EXPECT_TRUE(ProxyBypassed("127.0.0.1", ""));
  EXPECT_FALSE(ProxyBypassed("localhost", "<-loopback>"));
  EXPECT_EQ("secure:3129", platform::posix::ProxyForScheme("http=p:3128; https=secure:3129", "HTTPS"));
  EXPECT_EQ("all:80", platform::posix::ProxyForScheme("all:80", "https"));
}

TEST(CookiesForUrlTest, DomainPathSecureExpiryAndHttpOnly) {
  const std::vector<std::string> lines = {
      ".example.com\tTRUE\t/wn\tFALSE\t0\tsid\t1",
      "#HttpOnly_server.example.com\tFALSE\t/\tFALSE\t0\ttoken\t2",
      "server.example.com\tFALSE\t/\tTRUE\t0\tsecure\t3",
      "server.example.com\tFALSE\t/\tFALSE\t100\told\t4",
      "other.example\tFALSE\t/\tFALSE\t0\tother\t5",
      // Without a path the cookie belongs to the whole site.
      "server.example.com\tFALSE\t\tFALSE\t0\tsite\t6",
      "server.example.com\tFALSE\t/"};
  const std::string url = "http://server.example.com/wn/servlet";
  EXPECT_EQ("sid=1; site=6", platform::posix::CookiesForUrl(lines, url, false, 1000));
  EXPECT_EQ("sid=1; token=2; site=6", platform::posix::CookiesForUrl(lines, url, true, 1000));
  EXPECT_EQ("sid=1; token=2; secure=3; site=6",
            platform::posix::CookiesForUrl(lines, "https://server.example.com/wn", true, 1000));
  EXPECT_EQ("token=2; site=6",
            platform::posix::CookiesForUrl(lines, "http://server.example.com/wnx", true, 1000));
  EXPECT_EQ("", platform::posix::CookiesForUrl(lines, "ftp://server.example.com/", true, 1000));
}

}  // namespace
