#include <gtest/gtest.h>

#include "session/PersistedProperties.h"
#include "session_fixture.h"

namespace {

using platform::kENotImpl;
using platform::kEPointer;
using platform::kSOk;

class LoaderPropertiesTest : public SessionTest {
 protected:
  LoaderProperties& Properties() { return loader_->Properties(); }
  const SessionState& State() { return loader_->State(); }
  bool LoggedSet(const std::string& name, const std::string& shown) const {
    return Logged("INFO", "CLoader::put_" + name, "Property set to: " + shown);
  }
};

using TextSetter = platform::HResult (LoaderProperties::*)(const std::string&);
using TextGetter = platform::HResult (LoaderProperties::*)(std::string*) const;

struct TextProperty {
  const char* name;
  TextSetter put;
  TextGetter get;  // null for properties the page cannot read
};

const TextProperty kTextProperties[] = {
    {"SetupFile", &LoaderProperties::put_SetupFile, &LoaderProperties::get_SetupFile},
    {"SetupExtFile", &LoaderProperties::put_SetupExtFile, &LoaderProperties::get_SetupExtFile},
    {"PluginExtFiles", &LoaderProperties::put_PluginExtFiles,
     &LoaderProperties::get_PluginExtFiles},
    {"DomainName", &LoaderProperties::put_DomainName, &LoaderProperties::get_DomainName},
    {"AdditionalParams", &LoaderProperties::put_AdditionalParams,
     &LoaderProperties::get_AdditionalParams},
    {"DownloadContentFlavor", &LoaderProperties::put_DownloadContentFlavor,
     &LoaderProperties::get_DownloadContentFlavor},
    {"ZELServerVersion", &LoaderProperties::put_ZELServerVersion,
     &LoaderProperties::get_ZELServerVersion},
    {"AuthUser", &LoaderProperties::put_AuthUser, nullptr},
    {"AuthProxyUser", &LoaderProperties::put_AuthProxyUser, nullptr},
    {"AuthProxyURL", &LoaderProperties::put_AuthProxyURL, nullptr},
    {"AuthReserved", &LoaderProperties::put_AuthReserved, nullptr},
};

// Long, non-ASCII and full of "=", quotes and format directives: stored and
// logged as given.
const std::string kAwkward = "k=\"v\"='w'==%s%n\xC3\xA9\xE6\x97\xA5" + std::string(100000, '=');

TEST_F(LoaderPropertiesTest, TextSettersStoreAndLogAnyTextAsGiven) {
  for (const TextProperty& property : kTextProperties) {
    SCOPED_TRACE(property.name);
    EXPECT_EQ(kSOk, (Properties().*property.put)(kAwkward));
    EXPECT_TRUE(LoggedSet(property.name, kAwkward));
    if (!property.get) continue;
    std::string value;
    EXPECT_EQ(kSOk, (Properties().*property.get)(&value));
    EXPECT_EQ(kAwkward, value);
    EXPECT_EQ(kEPointer, (Properties().*property.get)(nullptr));
  }
  EXPECT_EQ(kAwkward, State().network.authReserved);
  EXPECT_EQ(kAwkward, State().network.authProxyUrl);
  // The key of a text without "/" is the whole text with "=" made "_".
  EXPECT_EQ(std::string::npos, State().setupFileName.find('='));
  EXPECT_EQ(kAwkward.size(), State().setupFileName.size());
}

TEST_F(LoaderPropertiesTest, PasswordsNeverReachTheLog) {
  const std::string secret = "s3cr\xC3\xA9t";
  EXPECT_EQ(kSOk, Properties().put_DomainPassword(secret));
  EXPECT_EQ(kSOk, Properties().put_AuthPassword(secret));
  EXPECT_EQ(kSOk, Properties().put_AuthProxyPassword(secret));
  for (const char* name : {"DomainPassword", "AuthPassword", "AuthProxyPassword"})
    EXPECT_TRUE(LoggedSet(name, "some password")) << name;
  EXPECT_FALSE(debug_.Mentions("s3cr"));
  std::string value;
  EXPECT_EQ(kSOk, Properties().get_DomainPassword(&value));
  EXPECT_EQ(secret, value);
  EXPECT_EQ(secret, State().network.authPassword);
  EXPECT_EQ(secret, State().network.authProxyPassword);
}

TEST_F(LoaderPropertiesTest, FlagsAreStoredAsGivenAndLoggedAsTrueOrFalse) {
  using FlagSetter = platform::HResult (LoaderProperties::*)(VariantBool);
  const std::pair<const char*, FlagSetter> flags[] = {
      {"BrowserUI", &LoaderProperties::put_BrowserUI},
      {"InstallationOnly", &LoaderProperties::put_InstallationOnly},
      {"IsolatedDeployment", &LoaderProperties::put_IsolatedDeployment},
      {"SkipPreReqCheck", &LoaderProperties::put_SkipPreReqCheck},
      {"MsiDeployment", &LoaderProperties::put_MsiDeployment},
      {"UseZELServerVersion", &LoaderProperties::put_UseZELServerVersion}};
  for (const auto& [name, put] : flags) {
    EXPECT_EQ(kSOk, (Properties().*put)(-1));
    EXPECT_TRUE(LoggedSet(name, "TRUE")) << name;
    EXPECT_EQ(kSOk, (Properties().*put)(0));
    EXPECT_TRUE(LoggedSet(name, "FALSE")) << name;
  }
  Properties().put_IsolatedDeployment(2);  // kept as given, true to the settings
  VariantBool value = 0;
  EXPECT_EQ(kSOk, Properties().get_IsolatedDeployment(&value));
  EXPECT_EQ(2, value);
  EXPECT_TRUE(loader_->Settings().IsolatedDeployment());
  EXPECT_EQ(kEPointer, Properties().get_MsiDeployment(nullptr));

  EXPECT_EQ(kSOk, Properties().put_AuthProxyPort(-8080));
  EXPECT_TRUE(LoggedSet("AuthProxyPort", "-8080"));
  EXPECT_EQ(-8080, State().network.authProxyPort);
  const size_t before = debug_.Lines().size();
  EXPECT_EQ(kSOk, Properties().put_StartByDorivizu(-1));  // no effect, no log line
  EXPECT_EQ(before, debug_.Lines().size());
}

TEST_F(LoaderPropertiesTest, TestTypePropertiesAreNotImplementedButLogged) {
  std::string value = "unchanged";
  EXPECT_EQ(kENotImpl, Properties().put_TestTypeFile("t.ini"));
  EXPECT_TRUE(LoggedSet("TestTypeFile", "t.ini"));
  EXPECT_EQ(kENotImpl, Properties().put_CustomTestTypesFiles("c.ini"));
  EXPECT_TRUE(LoggedSet("CustomTestTypesFiles", "c.ini"));
  EXPECT_EQ(kENotImpl, Properties().get_TestTypeFile(&value));
  EXPECT_EQ(kENotImpl, Properties().get_CustomTestTypesFiles(&value));
  EXPECT_EQ("unchanged", value);
}

TEST_F(LoaderPropertiesTest, SetupFileGivesBaseUrlTrimmedCopyNameKeyAndServer) {
  struct Case {
    const char* url;
    const char* base;
    const char* key;
  };
  const Case cases[] = {
      {"https://srv/root//Setup.cab", "https://srv/root", "Setup.cab"},
      {"https://srv/root/servlet/x?a=b", "https://srv/root", "servlet_x_a_b"},
      {"https://srv/servlet/a/servlet/b", "https://srv", "servlet_a_servlet_b"},
      {"vuvoviziz_SETUP.cab", "", "vuvoviziz_SETUP.cab"},
      {"/", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(kSOk, Properties().put_SetupFile(c.url));
    EXPECT_EQ(c.base, State().setupFileBaseUrl);
    EXPECT_EQ(c.key, State().setupFileName);
    EXPECT_EQ(c.key, loader_->Settings().SetupFileName());
    std::string value;
    Properties().get_SetupFile(&value);
    EXPECT_EQ(c.url, value);
  }
  EXPECT_EQ(0, State().isVuvoVizizSetup);
  Properties().put_SetupFile("VUVOVIZIZ_setup.CAB");
  EXPECT_NE(0, State().isVuvoVizizSetup);

  Properties().put_SetupFile(" \thttp://srv:8080/tk /Setup.cab");
  EXPECT_EQ(" \thttp://srv:8080/tk ", State().setupFileBaseUrl);
  EXPECT_EQ("http://srv:8080/tk", State().setupFileBaseUrlTrimmed);
  EXPECT_EQ("http://srv:8080/tk", loader_->Engine().ServerUrl());

  Properties().put_SetupExtFile("https://srv/root/servlet/ext?n=1");
  EXPECT_EQ("servlet_ext_n_1", State().setupExtFileName);
  Properties().put_PluginExtFiles("https://srv/p/plugins.cab");
  EXPECT_EQ("plugins.cab", State().pluginExtFilesName);
  EXPECT_EQ("http://srv:8080/tk", State().setupFileBaseUrlTrimmed);  // only SetupFile sets it
}

TEST_F(LoaderPropertiesTest, TkRootUrlLosesExactlyOneTrailingSlash) {
  Properties().put_TkRootURL("https://srv/tk//");
  std::string value;
  Properties().get_TkRootURL(&value);
  EXPECT_EQ("https://srv/tk/", value);
  EXPECT_TRUE(LoggedSet("TkRootURL", "https://srv/tk//"));
  EXPECT_TRUE(LoggedSet("TkRootURL", "https://srv/tk/"));
  Properties().put_TkRootURL("/");
  Properties().get_TkRootURL(&value);
  EXPECT_EQ("", value);
}

TEST_F(LoaderPropertiesTest, ColoursInBothNotationsAndBadInput) {
  const std::pair<const char*, int32_t> cases[] = {
      {"#FF", 255},
      {"#ff00ff", 0xFF00FF},
      {"#", 0},
      {"#GG", 0},
      {"#1G", 1},
      {"#FFFFFFFFF", -1},
      {"9306141", 9306141},
      {"  42px", 42},
      {"-1", -1},
      {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
      {"red", 0},
      {"", 0},
      {"\xC3\xA9", 0},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(kSOk, Properties().put_ProgColor(text));
    EXPECT_EQ(static_cast<ColorRef>(expected), State().progColor);
    std::string value;
    EXPECT_EQ(kSOk, Properties().get_ProgColor(&value));
    EXPECT_EQ(std::to_string(expected), value);
    EXPECT_TRUE(LoggedSet("ProgColor", text));
  }
  EXPECT_EQ(kSOk, Properties().put_ProgBkColor("#" + std::string(100000, 'F')));
  EXPECT_EQ(0xFFFFFFFFu, State().progBkColor);
  std::string value;
  Properties().get_ProgBkColor(&value);
  EXPECT_EQ("-1", value);
}

TEST_F(LoaderPropertiesTest, CustomPrerequisitePageMustBeAWebAddressOrNoUrl) {
  Properties().put_CustomPreReqPageUrl("HTTPS://Srv/Missing.html");
  EXPECT_EQ("HTTPS://Srv/Missing.html", State().customPreReqPageUrl);
  EXPECT_TRUE(LoggedSet("CustomPreReqPageUrl", "HTTPS://Srv/Missing.html"));
  Properties().put_CustomPreReqPageUrl("ftp://srv/x");
  EXPECT_TRUE(
      LoggedSet("CustomPreReqPageUrl", "CustomPreReqPageUrl ignored - invalid URL format."));
  EXPECT_EQ("HTTPS://Srv/Missing.html", State().customPreReqPageUrl);
  Properties().put_CustomPreReqPageUrl("no_url");
  EXPECT_TRUE(LoggedSet("CustomPreReqPageUrl", "Missing prerequsite link will not be shown."));
  EXPECT_EQ("no_url", State().customPreReqPageUrl);
  Properties().put_CustomPreReqPageUrl("http:");
  EXPECT_EQ("http:", State().customPreReqPageUrl);
  Properties().put_CustomPreReqPageUrl(" http://srv");  // no white space before the scheme
  EXPECT_EQ("http:", State().customPreReqPageUrl);
}

TEST_F(LoaderPropertiesTest, DeploymentLocationFailsUntilStartUpHasSetTheEngineUp) {
  std::string folder;
  EXPECT_EQ(platform::kEFail, Properties().get_DeploymentLocation(&folder));
  EXPECT_EQ("", folder);
  EXPECT_EQ(kEPointer, Properties().get_DeploymentLocation(nullptr));
  Properties().put_SetupFile("https://srv.example.com/tk/Setup.cab");
  loader_->State().deploymentEngineInitialized = true;
  EXPECT_EQ(kSOk, Properties().get_DeploymentLocation(&folder));
  EXPECT_FALSE(folder.empty());
  EXPECT_EQ(loader_->Engine().GetCurrentDeploymentFolder(), folder);
}

TEST_F(LoaderPropertiesTest, PersistedNamesReachTheirSetters) {
  const std::vector<PersistedProperty>& table = PersistedProperties();
  ASSERT_EQ(22u, table.size());
  EXPECT_STREQ("_cx", table[0].name);
  EXPECT_EQ(kVtUi4, table[1].variantType);
  const PersistedProperty* browserUi = FindPersistedProperty("browserui");
  ASSERT_NE(nullptr, browserUi);
  EXPECT_EQ(1, browserUi->dispid);
  EXPECT_EQ(kVtBool, browserUi->variantType);
  EXPECT_EQ(nullptr, FindPersistedProperty("AuthPassword"));  // script only
  EXPECT_EQ(nullptr, FindPersistedProperty("TestTypeFile"));

  LoaderProperties& properties = Properties();
  EXPECT_EQ(kSOk, ApplyPersistedProperty(properties, *browserUi, "TRUE"));
  EXPECT_EQ(-1, State().browserUi);
  EXPECT_EQ(kEInvalidArg, ApplyPersistedProperty(properties, *browserUi, "maybe"));
  EXPECT_EQ(-1, State().browserUi);
  EXPECT_EQ(kSOk,
            ApplyPersistedProperty(properties, *FindPersistedProperty("InstallationOnly"), "0"));
  EXPECT_EQ(0, State().installationOnly);
  EXPECT_EQ(kSOk, ApplyPersistedProperty(properties, *FindPersistedProperty("ProgColor"), "#FF"));
  EXPECT_EQ(255u, State().progColor);
  EXPECT_EQ(kSOk, ApplyPersistedProperty(properties, *FindPersistedProperty("TkRootURL"), "u/"));
  EXPECT_EQ("u", State().tkRootUrl);
  EXPECT_EQ(kDispEMemberNotFound,
            ApplyPersistedProperty(properties, *FindPersistedProperty("DeploymentLocation"), "x"));
  EXPECT_EQ(kDispEMemberNotFound, ApplyPersistedProperty(properties, table[0], "2540"));
  // "HostByDorivizu" reaches a setter that keeps nothing.
  EXPECT_EQ(kSOk,
            ApplyPersistedProperty(properties, *FindPersistedProperty("HostByDorivizu"), "true"));
  for (const PersistedProperty& property : table) {
    if (property.dispid == 0 || property.dispid == 16) continue;
    const std::string value = property.variantType == kVtBool ? "-1" : kAwkward;
    EXPECT_EQ(kSOk, ApplyPersistedProperty(properties, property, value)) << property.name;
  }
}

}  // namespace
