#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "cli/PropertyAssignments.h"
#include "session/CLoader.h"
#include "test_machine.h"

namespace {

std::string Refusal(const std::string& text) {
  PropertyAssignment assignment;
  std::string error;
  if (ParseAssignment(text, "--param", assignment, error)) return std::string();
  return error;
}

TEST(PropertyAssignmentTest, NamesInAnyCaseAndValuesThatSuitTheirProperty) {
  PropertyAssignment assignment;
  std::string error;
  ASSERT_TRUE(ParseAssignment("setupfile=http://h/servlet/x?a=b", "--param", assignment, error));
  EXPECT_EQ("SetupFile", assignment.property->name);
  EXPECT_EQ("http://h/servlet/x?a=b", assignment.value);  // split at the first "="

  for (const char* good :
       {"BrowserUI=TRUE", "BrowserUI=0", "ProgColor=#FF", "ProgColor=#00ffeeDD", "ProgColor=-5",
        "CustomPreReqPageUrl=HTTPS://h/p", "CustomPreReqPageUrl=no_url", "_cx=10583",
        "AuthProxyPort=65535", "AuthPassword=", "AuthReserved=x=y", "HostByDorivizu=1"})
    EXPECT_EQ("", Refusal(good)) << good;

  EXPECT_EQ("--param: unknown property \"Nope\" (deploy --help lists them)", Refusal("Nope=1"));
  EXPECT_EQ("--param: unknown property \"TestTypeFile\" (deploy --help lists them)",
            Refusal("TestTypeFile=x"));
  EXPECT_NE(std::string::npos, Refusal("deploymentlocation=C:\\x").find("read only"));
  EXPECT_EQ("--param: expected NAME=VALUE, not \"SetupFile\"", Refusal("SetupFile"));
  EXPECT_EQ("--param: expected NAME=VALUE, not \"=x\"", Refusal("=x"));
  for (const char* bad :
       {"BrowserUI=maybe", "BrowserUI=", "ProgColor=red", "ProgColor=#", "ProgColor=#123456789",
        "ProgColor= 5", "CustomPreReqPageUrl=ftp://h", "_cx=0", "_cy=-1", "_cy=4294967296",
        "AuthProxyPort=65536", "AuthProxyPort=-1", "AuthProxyPort=80x"})
    EXPECT_NE("", Refusal(bad)) << bad;
}

class PropertyFileTest : public MachineTest {
 protected:
  PropertyFileTest()
      : path_((std::filesystem::temp_directory_path() /
               ("varnik-params-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + ".txt"))
                  .string()) {}
  ~PropertyFileTest() override { std::remove(path_.c_str()); }
  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string path_;
};

TEST_F(PropertyFileTest, CommentsBlanksMarksAndLineEndsAreReadAsMeant) {
  Write("\xEF\xBB\xBF# the demo server\r\n"
        "\r\n"
        "  TkRootURL = http://h/root/  \r\n"
        "\t# indented comment\n"
        "ProgColor=#FF0000\n"
        "AdditionalParams=debugclient=true&sharedmode=true\n"
        "AuthPassword=  \n");
  std::vector<PropertyAssignment> assignments;
  std::string error;
  ASSERT_TRUE(ReadAssignmentsFile(path_, assignments, error)) << error;
  ASSERT_EQ(4u, assignments.size());
  EXPECT_EQ("TkRootURL", assignments[0].property->name);
  EXPECT_EQ("http://h/root/", assignments[0].value);
  EXPECT_EQ(path_ + ":3", assignments[0].origin);
  EXPECT_EQ("#FF0000", assignments[1].value);  // "#" inside a value is no comment
  EXPECT_EQ("debugclient=true&sharedmode=true", assignments[2].value);
  EXPECT_EQ("", assignments[3].value);

  Write("SetupFile=http://h/s.cab\n# fine so far\nBrowserUI=yes\n");
  assignments.clear();
  EXPECT_FALSE(ReadAssignmentsFile(path_, assignments, error));
  EXPECT_EQ(path_ + ":3: BrowserUI takes true, false or a number, not \"yes\"", error);

  Write("just words\n");
  EXPECT_FALSE(ReadAssignmentsFile(path_, assignments, error));
  EXPECT_EQ(path_ + ":1: expected NAME=VALUE, not \"just words\"", error);

  EXPECT_FALSE(ReadAssignmentsFile(path_ + ".missing", assignments, error));
  EXPECT_EQ("cannot read the properties file \"" + path_ + ".missing\"", error);
}

TEST_F(PropertyFileTest, AssignmentsReachTheSettersInOrderAndTheExtentSizesTheControl) {
  NoContainer host;
  CLoader loader(host);
  std::vector<PropertyAssignment> assignments;
  std::string error;
  for (const char* text : {"TkRootURL=http://first/", "tkrooturl=http://h/root//", "BrowserUI=1",
                           "ProgColor=#FF", "AuthProxyPort=8080", "AuthPassword=secret",
                           "AuthReserved=CLIENT", "_cx=10583", "_cy=2540"}) {
    PropertyAssignment assignment;
    ASSERT_TRUE(ParseAssignment(text, "--param", assignment, error)) << error;
    assignments.push_back(assignment);
  }
  ControlSize size;
  ASSERT_TRUE(ApplyAssignments(assignments, loader.Properties(), size, error)) << error;
  const SessionState& state = loader.State();
  EXPECT_EQ("http://h/root/", state.tkRootUrl);  // the later one; one "/" removed
  EXPECT_EQ(-1, state.browserUi);                // a number becomes VARIANT_TRUE
  EXPECT_EQ(255u, state.progColor);
  EXPECT_EQ(8080, state.network.authProxyPort);
  EXPECT_EQ("secret", state.network.authPassword);
  EXPECT_EQ("CLIENT", state.network.authReserved);
  EXPECT_EQ(400, size.width);
  EXPECT_EQ(96, size.height);

  EXPECT_EQ(1, HimetricToPixels(1));
  EXPECT_EQ(32767, HimetricToPixels(4294967295u));
}

TEST(PropertyHelpTest, ListsEveryPropertyWithItsMeaningAndDefaultFromTheTable) {
  const std::string help = PropertyHelpText();
  for (const PersistedProperty& property : PersistedProperties()) {
    const std::string name = std::string("\n  ") + property.name + " (";
    const size_t at = help.find(name);
    ASSERT_NE(std::string::npos, at) << property.name;
    // The name line and the meaning line below it.
    const size_t meaningEnd = help.find('\n', help.find('\n', at + 1) + 1);
    const std::string entry = help.substr(at, meaningEnd - at);
    EXPECT_NE(std::string::npos, entry.find(property.meaning)) << entry;
    if (property.dispid == 0 || std::string(property.name) == "DeploymentLocation") continue;
    const std::string fallback = *property.defaultValue
                                     ? std::string("default ") + property.defaultValue
                                     : std::string("default empty");
    EXPECT_NE(std::string::npos, entry.find(fallback)) << entry;
  }
  for (const char* name : {"AuthUser", "AuthPassword", "AuthProxyUser", "AuthProxyPassword",
                           "AuthProxyURL", "AuthProxyPort", "AuthReserved"})
    EXPECT_NE(std::string::npos, help.find(std::string("\n  ") + name + " (")) << name;
  EXPECT_NE(std::string::npos, help.find("AuthReserved (text, default NOT_SET)"));
  EXPECT_NE(std::string::npos, help.find("AuthProxyPort (0-65535, default 0)"));
  EXPECT_NE(std::string::npos, help.find("DeploymentLocation (read only)"));
  // This host is the container: the extent's default is its own size.
  EXPECT_NE(std::string::npos, help.find("_cx (HIMETRIC, default 10583 (400 pixels))"));
  EXPECT_NE(std::string::npos, help.find("_cy (HIMETRIC, default 5292 (200 pixels))"));
}

}  // namespace
