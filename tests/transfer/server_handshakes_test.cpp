// The three handshakes against good, bad, unsafe and missing replies of the
// sample platform, and the parsing of those replies.
#include <gtest/gtest.h>

#include "platform_fixture.h"
#include "test_files.h"
#include "transfer/DownloadDispatch.h"
#include "transfer/ServerHandshakes.h"

namespace {

class ServerHandshakesTest : public PlatformTest, public HandshakeHost {
 protected:
  std::string ServerRootUrl() const override { return root_; }
  std::string DeploymentFolder() const override { return host_.deploymentFolder; }
  std::string ClassIdentifier() const override { return std::string("{") + kServedClassId + "}"; }
  FileDownloader& Downloader() override { return dispatch_; }
  CacheVersionState& CacheVersion() override { return host_.cacheVersion; }
  void SetUseZelServerVersion(bool use) override { useServerVersion_ = use; }
  void SetZelServerVersion(const std::string& version) override { serverVersion_ = version; }

  std::string Local(const char* name) const { return host_.deploymentFolder + "\\" + name; }

  std::string root_ = PlatformRoot();
  DownloadDispatch dispatch_{host_};
  ServerHandshakes handshakes_{*this};
  bool useServerVersion_ = true;
  std::string serverVersion_ = "from the page";
};

TEST_F(ServerHandshakesTest, StartScriptNamesThisLoader) {
  EXPECT_TRUE(handshakes_.CheckServerVersion());
  EXPECT_FALSE(PathExists(Local("server_script.txt")));
  root_ = PlatformRoot() + "/bad";
  EXPECT_FALSE(handshakes_.CheckServerVersion());
  EXPECT_TRUE(Logged("INFO", "CLoader::CheckServerVersion",
                     "ZEL Platform Loader is not compatible with the QX ZEL version on provided URL."));
  root_ = PlatformVariable("VARNIK_PLATFORM_REFUSED") + "/wnbin";
  EXPECT_FALSE(handshakes_.CheckServerVersion());
  EXPECT_TRUE(Logged("INFO", "CLoader::CheckServerVersion",
                     "Error downloading start_a.js file can't verify platform version."));
}

TEST_F(ServerHandshakesTest, CacheVersionIsTakenOnlyInItsForm) {
  handshakes_.LoadServerCacheVersion();
  EXPECT_TRUE(host_.cacheVersion.known);
  EXPECT_EQ("CV1234", host_.cacheVersion.version);

  for (const char* variant : {"/bad", "/unsafe", "/empty", "/missing"}) {
    SCOPED_TRACE(variant);
    host_.cacheVersion = CacheVersionState();
    ASSERT_TRUE(WriteTestFile(Local("CacheVersion"), "CV-old\n"));
    root_ = PlatformRoot() + variant;
    handshakes_.LoadServerCacheVersion();
    EXPECT_FALSE(host_.cacheVersion.known);
  }
  EXPECT_FALSE(PathExists(Local("CacheVersion")));
  EXPECT_TRUE(Logged("WARNING", "CLoader::LoadServerCacheVersion",
                     "Cache version received from server is not of correct format, received '1234'. Falling back to "
                     "not using cache version"));
  EXPECT_TRUE(Logged("WARNING", "CLoader::LoadServerCacheVersion",
                     "Failed to download cache version from server, falling back to not using cache version"));
}

TEST_F(ServerHandshakesTest, ServerVersionNamesTheDeploymentOrTurnsItOff) {
  handshakes_.ReadServerVersion();
  EXPECT_TRUE(useServerVersion_);
  EXPECT_EQ("7.1.0", serverVersion_);

  for (const char* variant : {"/bad", "/unsafe", "/empty", "/missing"}) {
    SCOPED_TRACE(variant);
    useServerVersion_ = true;
    serverVersion_ = "from the page";
    root_ = PlatformRoot() + variant;
    handshakes_.ReadServerVersion();
    EXPECT_FALSE(useServerVersion_);
    EXPECT_EQ("from the page", serverVersion_);
  }
  EXPECT_TRUE(Logged("WARNING", "CLoader::ReadServerVersion", "Failed to retrieve version information from server"));
}

TEST(ServerReplies, FirstLinesCacheVersionsAndVersionCodes) {
  std::string line;
  EXPECT_FALSE(ServerHandshakes::FirstLine("", line));
  ASSERT_TRUE(ServerHandshakes::FirstLine("7.2\r\nrest", line));
  EXPECT_EQ("7.2", line);
  ASSERT_TRUE(ServerHandshakes::FirstLine(std::string(3000, 'x'), line));
  EXPECT_EQ(1023u, line.size());

  std::string version;
  EXPECT_TRUE(ServerHandshakes::ParseCacheVersion(" \tCV1234 \r", version));
  EXPECT_EQ("CV1234", version);
  EXPECT_FALSE(ServerHandshakes::ParseCacheVersion("1234", version));
  EXPECT_FALSE(ServerHandshakes::ParseCacheVersion("cv1234", version));
  EXPECT_FALSE(ServerHandshakes::ParseCacheVersion("CV1 2", version));
  EXPECT_FALSE(ServerHandshakes::ParseCacheVersion("CV1#x", version));

  EXPECT_TRUE(ServerHandshakes::IsUsableVersionCode("7.1.0-beta_2"));
  for (const char* code : {"", ".", "..", "..\\..\\Windows", "C:", "a/b", "x[1]", "v;1", "7.1.", " 7"})
    EXPECT_FALSE(ServerHandshakes::IsUsableVersionCode(code)) << code;
}

}  // namespace
