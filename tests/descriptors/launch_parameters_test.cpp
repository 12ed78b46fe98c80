// Launch parameters of the main component and the macros of their values.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "descriptor_files.h"
#include "descriptors/LaunchParameters.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs AsPairs(const LaunchParameterList& list) {
  Pairs pairs;
  for (const LaunchParameter& parameter : list.entries)
    pairs.emplace_back(parameter.name, parameter.value);
  return pairs;
}

LaunchMacroValues SampleMacros() {
  LaunchMacroValues values;
  values.setupFileBaseUrl = "https://srv/tk/setup/";
  values.setupFile = "https://srv/tk/setup/setup.cab";
  values.tkRootUrl = "https://srv/tk";
  values.additionalParams = "debugclient=true&AuthUser=u";
  values.commonDestination = "%AppData%\\QX\\ZEL-Client";
  values.deploymentFolder = "C:\\Users\\u\\AppData\\Local\\QX\\ZEL-Client\\srv";
  return values;
}

TEST(LaunchMacroTest, MacrosAreReplacedInOrderSoEarlierResultsMeetLaterMacros) {
  const LaunchMacroValues values = SampleMacros();
  EXPECT_EQ("https://srv/tk/setup/|https://srv/tk/setup/setup.cab|https://srv/tk",
            ExpandLaunchMacros("%URL%|%FULLURL%|%TkRoot%", values));
  EXPECT_EQ("%url% %TKROOT%", ExpandLaunchMacros("%url% %TKROOT%", values));
  EXPECT_EQ("C:\\Users\\u\\AppData\\Local\\QX\\ZEL-Client\\srv\\bin",
            ExpandLaunchMacros("%AppData%\\QX\\ZEL-Client\\bin", values));

  LaunchMacroValues nested = values;
  // Brought in by %AdditionalParams%: the later destination text is replaced,
  // the earlier %TkRoot% is not.
  nested.additionalParams = "root=%TkRoot%&dir=%AppData%\\QX\\ZEL-Client";
  EXPECT_EQ("root=%TkRoot%&dir=C:\\Users\\u\\AppData\\Local\\QX\\ZEL-Client\\srv",
            ExpandLaunchMacros("%AdditionalParams%", nested));
  // Brought in by %URL%: %FULLURL% is replaced after it.
  nested.setupFileBaseUrl = "%FULLURL%#";
  EXPECT_EQ("https://srv/tk/setup/setup.cab#", ExpandLaunchMacros("%URL%", nested));

  // With no destination text there is nothing to replace.
  nested.commonDestination.clear();
  EXPECT_EQ("as is", ExpandLaunchMacros("as is", nested));
}

class LaunchParametersTest : public DescriptorTest {};

TEST_F(LaunchParametersTest, BuiltInsComeFirstThenParamKeysInKeyOrder) {
  CIniFile descriptor = LoadDescriptor(
      "[0001File_Client]\r\nProgId=vurerave.vureravex\r\nparam_server=%TkRoot%\r\n"
      "PARAM_Additional=%AdditionalParams%\r\nParam_folder=%AppData%\\QX\\ZEL-Client\r\n"
      "param_=empty name\r\nparam=not a parameter\r\nxparam_y=not a parameter\r\n");
  LaunchSettings settings;
  settings.domainName = "LAB";
  settings.domainPassword = "secret";
  settings.macros = SampleMacros();
  const std::string progId = descriptor.GetValue("0001File_Client", "ProgId");
  LaunchParameterList list;
  AppendLaunchParameters(descriptor, "0001file_client", progId, settings, list);

  const std::string folder = settings.macros.deploymentFolder;
  EXPECT_EQ((Pairs{{"TKtesttypes", folder}, {"DomainName", "LAB"}, {"DomainPassword", "secret"},
                   {"", "empty name"}, {"Additional", "debugclient=true&AuthUser=u"},
                   {"folder", folder}, {"server", "https://srv/tk"}}),
            AsPairs(list));
  EXPECT_EQ(3u, list.builtInCount);

  // The domain pair only for its two clients, and only with a domain name.
  LaunchParameterList other;
  AppendLaunchParameters(descriptor, "0001File_Client", "Other.Client", settings, other);
  EXPECT_EQ(1u, other.builtInCount);
  settings.domainName.clear();
  LaunchParameterList noDomain;
  AppendLaunchParameters(descriptor, "0001File_Client", "DADevizeDE.RiVudizI", settings, noDomain);
  EXPECT_EQ(1u, noDomain.builtInCount);
  EXPECT_EQ("", noDomain.entries.at(1).name);
}

}  // namespace
