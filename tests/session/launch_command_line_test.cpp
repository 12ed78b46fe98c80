#include <gtest/gtest.h>

#include "session/LaunchCommandLine.h"

namespace {

TEST(LaunchCommandLine, PairsInOrderEmptyOnesLeftOutAdditionalParamsLastWithQuotesTurned) {
  const LaunchPairs list = {{"TKtesttypes", "C:\\Deploy\\srv"},
                           {"AdditionalParams", "a='1'&b=x"},
                           {"Empty", ""},
                           {"Server", "http://srv/zel"}};
  LaunchContext context;
  context.embedClient = true;
  context.parentWindow = 1234;
  context.processId = 77;
  EXPECT_EQ(
      "TKtesttypes=\"C:\\Deploy\\srv\"  Server=\"http://srv/zel\"  "
      "PARENT_WINDOW_HANDLE=\"1234\"  PARENT_PROCESS_ID=\"77\"  "
      "AdditionalParams=\"a=\"1\"&b=x\"",
      BuildLaunchArguments(list, context).text);

  // Not embedded, no additional parameters at all, cookies saved: the pair
  // is still there, empty, after the cookie file.
  context.embedClient = false;
  context.cookieFilePath = "C:\\Temp\\f00d.sdr";
  EXPECT_EQ("TKtesttypes=\"x\"  sdr=C:\\Temp\\f00d.sdr  AdditionalParams=\"\"",
            BuildLaunchArguments({{"TKtesttypes", "x"}}, context).text);
}

TEST(LaunchCommandLine, TheLogCopyMasksEveryPasswordAndOnlyThat) {
  const LaunchPairs list = {{"TKtesttypes", "C:\\D"},
                           {"DomainName", "CORP"},
                           {"DomainPassword", "s3cret"},
                           {"AdditionalParams",
                            "debugclient=true&AuthUser=dXNlcg==&AuthPassword=cGFzcw==&ProxyHost=p"
                            "&proxypassword=eA==&AuthPassword="}};
  const LaunchArguments arguments = BuildLaunchArguments(list, LaunchContext());
  EXPECT_EQ(
      "TKtesttypes=\"C:\\D\"  DomainName=\"CORP\"  DomainPassword=\"s3cret\"  "
      "AdditionalParams=\"debugclient=true&AuthUser=dXNlcg==&AuthPassword=cGFzcw==&ProxyHost=p"
      "&proxypassword=eA==&AuthPassword=\"",
      arguments.text);
  EXPECT_EQ(
      "TKtesttypes=\"C:\\D\"  DomainName=\"CORP\"  DomainPassword=\"******\"  "
      "AdditionalParams=\"debugclient=true&AuthUser=dXNlcg==&AuthPassword=******&ProxyHost=p"
      "&proxypassword=******&AuthPassword=\"",
      arguments.logText);
  EXPECT_EQ("ProxyPassword=******&b", MaskAdditionalParams("ProxyPassword=a&b"));
}

}  // namespace
