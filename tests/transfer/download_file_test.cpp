// Plain transfers (CLoader::DownloadFile) against the sample platform: the
// cache-version decoration on the wire, the choice between the URL-moniker
// service and the web client, and replies that must never pass for a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform_fixture.h"
#include "test_files.h"
#include "transfer/CSimpleBindStatusCallback.h"
#include "transfer/DownloadDispatch.h"

namespace {

constexpr char kLocation[] = "CLoader::DownloadFile";

class DownloadFileTest : public PlatformTest {
 protected:
  bool Requested(const std::string& requestLine) const {
    const std::vector<std::string> requests = ServedRequests();
    return std::find(requests.begin(), requests.end(), requestLine) != requests.end();
  }

  DownloadDispatch dispatch_{host_};
};

TEST(CacheVersionDecoration, AppliesOnlyUnderTheServerRootWithoutAQuery) {
  CacheVersionState known{true, "1234"};
  const std::string root = "http://server/wnbin";
  EXPECT_EQ("http://server/wnbin/file.cab?CV=1234", AppendCacheVersion(root + "/file.cab", root, known));
  EXPECT_EQ("http://other/wnbin/file.cab", AppendCacheVersion("http://other/wnbin/file.cab", root, known));
  EXPECT_EQ(root + "/file.cab?x=1", AppendCacheVersion(root + "/file.cab?x=1", root, known));
  EXPECT_EQ(root + "/file.cab", AppendCacheVersion(root + "/file.cab", root, CacheVersionState{}));
}

TEST_F(DownloadFileTest, FetchesThroughTheMonikerWithTheCacheVersionOnTheWire) {
  host_.cacheVersion = {true, "CV1234"};
  const std::string target = Scratch("hello.txt");
  ASSERT_EQ(platform::kSOk, dispatch_.DownloadFile(host_.serverRoot + "/hello.txt", target));
  EXPECT_EQ(ReadTestFile(ServedFile("wnbin/hello.txt")), ReadTestFile(target));
  EXPECT_TRUE(Requested("GET /wnbin/hello.txt?CV=CV1234 HTTP/1.1"));
  EXPECT_TRUE(Logged("INFO", kLocation, "Client certificate present 0, Local mode active 0"));
  EXPECT_TRUE(LoggedStart("INFO", kLocation, "Going to download [simple_bind_status]"));
  EXPECT_FALSE(LoggedStart("INFO", kLocation, "Going to download [wininet]"));

  // A URL of another server is fetched as it is.
  const std::string other = PlatformRoot("VARNIK_PLATFORM_HTTPS") + "/hello.txt";
  ASSERT_EQ(platform::kSOk, dispatch_.DownloadFile(other, target));
  EXPECT_TRUE(Requested("GET /wnbin/hello.txt HTTP/1.1"));
}

// The moniker gets a 401 it cannot answer; the web client has the
// credentials and fetches the file. (A realm of its own: WinInet keeps the
// credentials a process used before and would offer them to the moniker.)
TEST_F(DownloadFileTest, MonikerFailureFallsBackToTheWebClient) {
  host_.serverRoot = PlatformRoot("VARNIK_PLATFORM_HTTP_AUTH");
  host_.webClient.SetWebUser(PlatformVariable("VARNIK_PLATFORM_PRIVATE_USER"));
  host_.webClient.SetWebPassword(PlatformVariable("VARNIK_PLATFORM_PRIVATE_PASSWORD"));
  const std::string target = Scratch("hello.txt");
  ASSERT_EQ(platform::kSOk, dispatch_.DownloadFile(host_.serverRoot + "/private/hello.txt", target));
  EXPECT_EQ(ReadTestFile(ServedFile("wnbin/private/hello.txt")), ReadTestFile(target));
  EXPECT_TRUE(LoggedStart("WARNING", kLocation, "Download completed with 0x"));
  EXPECT_TRUE(Logged("INFO", kLocation, "using client certificate and not local mode"));
}

// An error page is never the file, on either transport, and an older file
// of that name does not survive to be taken for the answer.
TEST_F(DownloadFileTest, ErrorRepliesFailAndLeaveNothingBehind) {
  const std::string target = Scratch("reply.txt");
  for (const std::string& url : {host_.serverRoot + "/missing.txt", host_.serverRoot + "/broken/reply.txt"}) {
    ASSERT_TRUE(WriteTestFile(target, "an older reply"));
    EXPECT_EQ(platform::kEFail, dispatch_.DownloadFile(url, target)) << url;
    EXPECT_FALSE(PathExists(target)) << url;
  }
  EXPECT_TRUE(LoggedStart("WARNING", "WinInetConnection::SendRequest",
                          "HTTP status differs from OK. Transaction failed. HTTP status code: 404"));
  EXPECT_TRUE(LoggedStart("WARNING", "WinInetConnection::SendRequest",
                          "HTTP status differs from OK. Transaction failed. HTTP status code: 500"));
}

// The moniker itself leaves nothing of a reply that broke off.
TEST_F(DownloadFileTest, ABrokenReplyLeavesNoFile) {
  const std::string target = Scratch("broken.dll");
  for (const char* fault : {"truncated", "dropped"}) {
    CSimpleBindStatusCallback callback;
    const std::string url = PlatformVariable("VARNIK_PLATFORM_FAULTS") + "/wnbin/" + fault + "/components/component.dll";
    EXPECT_LT(platform::DownloadUrlToFile(url, target, callback), 0) << fault;
    EXPECT_FALSE(PathExists(target)) << fault;
    EXPECT_FALSE(callback.HoldsBinding()) << fault;
  }
}

TEST_F(DownloadFileTest, UnreachableServersAndBadUrlsFailWithAReason) {
  const std::string target = Scratch("reply.txt");
  std::vector<std::string> cases = {
      PlatformVariable("VARNIK_PLATFORM_REFUSED") + "/wnbin/hello.txt",
      "http://varnik-nowhere.invalid/wnbin/hello.txt",
      host_.serverRoot + "/" + std::string(9000, 'a') + ".txt",
  };
#ifndef _WIN32
  // Wine's WinInet follows a redirect loop without end (Windows gives up).
  cases.push_back(host_.serverRoot + "/loop.dll");
#endif
  for (const std::string& url : cases) {
    EXPECT_EQ(platform::kEFail, dispatch_.DownloadFile(url, target)) << url.substr(0, 80);
    EXPECT_FALSE(PathExists(target)) << url.substr(0, 80);
  }
  EXPECT_TRUE(LoggedStart("ERROR", "WinInetConnection::SendRequest", "HttpSendRequest, error code : "));
}

TEST_F(DownloadFileTest, WithAClientCertificateTheWebClientGoesFirstUnlessInLocalMode) {
  // A certificate the store does not hold leaves the indicator off.
  EXPECT_FALSE(host_.webClient.TrySetClientCertificate("00FF"));
  ASSERT_FALSE(host_.ClientCertificatePresent());

  struct CertificateHost : TestTransferHost {
    using TestTransferHost::TestTransferHost;
    bool ClientCertificatePresent() const override { return true; }
  } withCertificate(host_.deploymentFolder);
  DownloadDispatch dispatch(withCertificate);
  const std::string target = Scratch("hello.txt");
  ASSERT_EQ(platform::kSOk, dispatch.DownloadFile(withCertificate.serverRoot + "/hello.txt", target));
  EXPECT_TRUE(Logged("INFO", kLocation, "Client certificate present 1, Local mode active 0"));
  EXPECT_FALSE(LoggedStart("INFO", kLocation, "Going to download [simple_bind_status]"));

  withCertificate.localMode = true;
  ASSERT_EQ(platform::kSOk, dispatch.DownloadFile(withCertificate.serverRoot + "/hello.txt", target));
  EXPECT_TRUE(Logged("INFO", kLocation, "Client certificate present 1, Local mode active 1"));
  EXPECT_TRUE(LoggedStart("INFO", kLocation, "Going to download [simple_bind_status]"));
}

}  // namespace
