// The network configuration: stored credentials, the certificate-error
// mask, what is handed to the client in the additional parameters, the
// user-agent marker, authentication on the WinInet layer and the cookie file.
#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform_fixture.h"
#include "scratch_registry_key.h"
#include "test_files.h"
#include "transfer/NetworkConfiguration.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

constexpr char kScrambleKey[] = "Qv7#kP2m!Xr9@Lb4$Zt8";

// What another tool of the platform stores for text.
std::vector<uint8_t> Scrambled(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (i % 20 != 19) bytes[i] = static_cast<uint8_t>(bytes[i] + static_cast<uint8_t>(kScrambleKey[i % 20]));
  }
  bytes.push_back(0);
  return bytes;
}

class NetworkConfigurationTest : public PlatformTest, public NetworkConfigurationHost {
 protected:
  NetworkConfigurationTest() : stored_(platform::RegistryRoot::CurrentUser, NetworkConfiguration::kRegistryKey) {}

  NetworkProperties& Properties() override { return properties_; }
  std::string& AdditionalParams() override { return additionalParams_; }
  std::string ServerRootUrl() const override { return root_; }
  bool MsiDeployment() const override { return msi_; }
  WinInetWebClient& WebClient() override { return host_.webClient; }

  platform::RegistryKey StoredKey() {
    platform::RegistryKey key;
    EXPECT_EQ(platform::kErrorSuccess,
              platform::RegistryKey::Create(platform::RegistryRoot::CurrentUser, NetworkConfiguration::kRegistryKey, key));
    return key;
  }

  ScratchRegistryKey stored_;
  NetworkProperties properties_;
  std::string additionalParams_ = "debugclient=false";
  std::string root_ = PlatformRoot();
  bool msi_ = false;
  NetworkConfiguration configuration_{*this};
};

TEST(UnscrambleRegistryText, ShortValuesAndTheKeysLastPosition) {
  const uint8_t none[] = {0};
  EXPECT_EQ("", NetworkConfiguration::UnscrambleRegistryText(none, 0));
  EXPECT_EQ("", NetworkConfiguration::UnscrambleRegistryText(none, 1));
  const uint8_t one[] = {'x', 0};
  EXPECT_EQ("x", NetworkConfiguration::UnscrambleRegistryText(one, 2));
  // 24 characters: position 19 and the last character pass unchanged.
  const std::string text = "secret-password-is-long!";
  const std::vector<uint8_t> stored = Scrambled(text);
  EXPECT_EQ(text, NetworkConfiguration::UnscrambleRegistryText(stored.data(), stored.size()));
  EXPECT_EQ(text[19], static_cast<char>(stored[19]));
}

TEST_F(NetworkConfigurationTest, StoredCredentialsFollowTheDialogAndDomainRules) {
  platform::RegistryKey key = StoredKey();
  key.WriteString("IISAuthUser", "alice");
  key.WriteBinary("IISAuthPswrd", Scrambled("web-secret"));
  key.WriteString("IISDomain", "CORP");
  key.WriteString("ProxyAuthUser", "EDGE\\bob");
  key.WriteBinary("ProxyAuthPswrd", Scrambled("proxy-secret"));
  key.WriteString("ProxyDomain", "IGNORED");
  key.WriteString("OpenIISDialog", "n");  // only "N" turns them off
  ASSERT_TRUE(configuration_.GetAuthDataFromRegistry());
  EXPECT_EQ("CORP\\alice", properties_.authUser);
  EXPECT_EQ("web-secret", properties_.authPassword);
  EXPECT_EQ("EDGE\\bob", properties_.authProxyUser);
  EXPECT_EQ("proxy-secret", properties_.authProxyPassword);
  EXPECT_EQ("IECACHE", properties_.authReserved);

  properties_ = NetworkProperties();
  key.WriteString("OpenIISDialog", "N");
  key.WriteString("OpenProxyDialog", "N");
  EXPECT_FALSE(configuration_.GetAuthDataFromRegistry());
  EXPECT_TRUE(properties_.authUser.empty());
  EXPECT_EQ("NOT_SET", properties_.authReserved);
}

TEST_F(NetworkConfigurationTest, TheMaskComesFromANumberOnly) {
  platform::RegistryKey key = StoredKey();
  key.WriteString("IgnoreSecurityFlags", "1");
  configuration_.LoadIgnoreSecurityFlagsFromRegistry();
  EXPECT_EQ(0xFu, host_.webClient.CertificateErrorMask());
  EXPECT_TRUE(Logged("INFO", "CLoader::LoadIgnoreSecurityFlagsFromRegistry",
                     "LoadIgnoreSecurityFlagsFromRegistry - Value not read."));
  key.WriteDword("IgnoreSecurityFlags", 0x5);
  configuration_.LoadIgnoreSecurityFlagsFromRegistry();
  EXPECT_EQ(0x5u, host_.webClient.CertificateErrorMask());
}

TEST_F(NetworkConfigurationTest, QueryUserAuthDataKeepsWhatThePageGave) {
  properties_.authReserved = "DUVO";
  EXPECT_TRUE(configuration_.QueryUserAuthData());
  EXPECT_TRUE(Logged("INFO", "CLoader::QueryUserAuthData", "QueryUserAuthData - Network configuration already set."));

  // Nothing stored and nothing known to the connection.
  properties_.authReserved = "NOT_SET";
  EXPECT_TRUE(configuration_.QueryUserAuthData());
  EXPECT_TRUE(Logged("INFO", "CLoader::QueryUserAuthData", "no credentials from connection."));
  EXPECT_EQ("NOT_SET", properties_.authReserved);
}

TEST_F(NetworkConfigurationTest, SerializesForTheClientAndMasksPasswordsInTheLog) {
  configuration_.SerializeNetworkConfiguration();
  EXPECT_EQ("debugclient=false", additionalParams_);

  properties_.authReserved = "IECACHE";
  properties_.authUser = "alice";
  properties_.authPassword = "web-secret";
  properties_.authProxyUrl = "proxy.example";
  properties_.authProxyUser = "bob";
  properties_.authProxyPassword = "proxy-secret";
  configuration_.SerializeNetworkConfiguration();
  EXPECT_EQ("debugclient=false&AuthUser=YWxpY2U=&AuthPassword=d2ViLXNlY3JldA==&ProxyHost=proxy.example"
            "&ProxyUser=Ym9i&ProxyPassword=cHJveHktc2VjcmV0",
            additionalParams_);
  EXPECT_TRUE(Logged("INFO", "CLoader::SerializeNetworkConfiguration",
                     "AdditionalParams updated with network configuration:debugclient=false&AuthUser=YWxpY2U="
                     "&AuthPassword=******&ProxyHost=proxy.example&ProxyUser=Ym9i&ProxyPassword=******"));
}

TEST_F(NetworkConfigurationTest, AuthenticatesOnTheWinInetLayerForTheClientTypesThatAsk) {
  root_ = PlatformRoot("VARNIK_PLATFORM_HTTP_AUTH");
  properties_.authUser = PlatformVariable("VARNIK_PLATFORM_AUTH_USER");
  properties_.authPassword = PlatformVariable("VARNIK_PLATFORM_AUTH_PASSWORD");
  configuration_.TryAuthenticateClient();
  EXPECT_TRUE(Logged("INFO", "CLoader::TryAuthenticateClient", "AuthenticateClient - no need for authentication"));

  properties_.authReserved = "ZAVAZODOVOR";
  configuration_.TryAuthenticateClient();
  EXPECT_TRUE(Logged("INFO", "CLoader::TryAuthenticateClient", "Web authentication requested."));
  EXPECT_FALSE(Logged("ERROR", "CLoader::TryAuthenticateClient", "Unable to authenticate client"));
  EXPECT_TRUE(Logged("INFO", "WinInetWebClient::SendBasicRequestToServer",
                     "SendBasicRequestToServer completed successfully"));
}

TEST_F(NetworkConfigurationTest, UserAgentMarkerIsWrittenForTheUser) {
  ASSERT_TRUE(configuration_.UpdateUserAgentFlag(true, true));
  std::string marker;
  EXPECT_EQ(platform::kErrorSuccess, StoredKey().ReadString("USER_AGENT", marker));
  EXPECT_EQ("1", marker);
  ASSERT_TRUE(configuration_.UpdateUserAgentFlag(true, false));
  EXPECT_EQ(platform::kErrorSuccess, StoredKey().ReadString("USER_AGENT", marker));
  EXPECT_EQ("0", marker);
}

// The cookie file holds the cookie text and nothing else, and only its owner
// may read it.
TEST_F(NetworkConfigurationTest, CookieFileForTheClient) {
  configuration_.GetCookiesFromWinInetLayer();
  ASSERT_FALSE(configuration_.CookieFilePath().empty());
  const std::string cookies = ReadTestFile(configuration_.CookieFilePath());
  EXPECT_NE(std::string::npos, cookies.find("VarnikSession=s3ss10n-1"));
  EXPECT_NE(std::string::npos, cookies.find("VarnikToken=t0k3n-2"));
  EXPECT_EQ(std::string::npos, cookies.find('\0'));
  EXPECT_NE(std::string::npos, configuration_.CookieFilePath().find(configuration_.CookieFileGuid() + ".sdr"));
#ifndef _WIN32
  struct stat info;
  ASSERT_EQ(0, stat(platform::ToNativePath(configuration_.CookieFilePath()).c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777u);
#endif
  platform::DeletePath(configuration_.CookieFilePath());

  msi_ = true;
  NetworkConfiguration msi(*this);
  msi.GetCookiesFromWinInetLayer();
  EXPECT_TRUE(msi.CookieFilePath().empty());
  EXPECT_TRUE(Logged("INFO", "CLoader::GetCookiesFromWinInetLayer", "MSI deployment mode, get cookies skipped."));
}

TEST_F(NetworkConfigurationTest, ClientCertificateFromTheParameters) {
  configuration_.CheckForClientCertificate("debugclient=false&clientcertificatesn=7fff&x=1");
  EXPECT_TRUE(Logged("ERROR", "CLoader::CheckForClientCertificate", "Client certificate request but can't be set."));
  configuration_.CheckForClientCertificate("debugclient=false");
  EXPECT_FALSE(host_.webClient.HasClientCertificate());
}

}  // namespace
