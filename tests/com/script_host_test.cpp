// The helper from a JScript run by Windows' own script host (cscript),
// after regsvr32 registered varnik.dll. cscript ends with 0 after a script
// error, so the script reports success with its own code and each failed
// check with another.
#include <string>

#include <gtest/gtest.h>

#include "com_test_support.h"
#include "platform/FileSystem.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

constexpr long kScriptPassed = 100;

const char kScript[] = R"(// Arguments: the deployment folder.
var folder = WScript.Arguments(0);
function check(condition, code) {
  if (!condition) {
    WScript.Echo("check " + code + " failed");
    WScript.Quit(code);
  }
}
function refusal(call) {
  try { call(); } catch (e) { return e.description; }
  return "";
}

var helper = new ActiveXObject("Varnik.DeploymentHelper");
check(refusal(function () { helper.CreateActivationContext(); }) ==
      "Must set Deployment Folder before creating activation context", 10);
helper.DeploymentFlavor = "AllFiles";
helper.ManifestFileName = "ZEL-Client.exe.manifest";
helper.DeploymentFolder = folder;
helper.CreateActivationContext();
check(refusal(function () { helper.CreateActivationContext(); }) ==
      "Cannot create an Activation Context, it is already created", 11);
helper.DestroyActivationContext();
check(refusal(function () { helper.DestroyActivationContext(); }) ==
      "There is no activation context to destroy", 12);

// The versioned ProgID names the same class.
var versioned = new ActiveXObject("Varnik.DeploymentHelper.1");
versioned.DeploymentFolder = folder + "\\missing";
check(refusal(function () { versioned.CreateActivationContext(); }).indexOf("CreateActCtxA failed") == 0, 13);
WScript.Quit(100);
)";

// Sets and reads every property of the control as a page's script does.
const char kLoaderScript[] = R"(
function check(condition, code) {
  if (!condition) {
    WScript.Echo("check " + code + " failed");
    WScript.Quit(code);
  }
}
function fails(call) {
  try { call(); } catch (e) { return true; }
  return false;
}

var loader = new ActiveXObject("ZEL-Platform-Loader16.00");
var texts = ["SetupFile", "SetupExtFile", "DomainName", "DomainPassword", "PluginExtFiles",
             "AdditionalParams", "DownloadContentFlavor", "ZELServerVersion"];
for (var i = 0; i < texts.length; ++i) {
  check(loader[texts[i]] === "", 20 + i);
  loader[texts[i]] = "value " + i;
  check(loader[texts[i]] === "value " + i, 30 + i);
}
var flags = ["BrowserUI", "InstallationOnly", "IsolatedDeployment", "SkipPreReqCheck",
             "MsiDeployment", "UseZELServerVersion"];
for (var i = 0; i < flags.length; ++i) {
  check(loader[flags[i]] === false, 40 + i);
  loader[flags[i]] = true;
  check(loader[flags[i]] === true, 50 + i);
}
loader.TkRootURL = "http://zel.intranet/zel//";
check(loader.TkRootURL === "http://zel.intranet/zel/", 60);
check(loader.ProgColor === "9306141" && loader.ProgBkColor === "16777215", 61);
loader.ProgColor = "#FF";
loader.ProgBkColor = "65280";
check(loader.ProgColor === "255" && loader.ProgBkColor === "65280", 62);
loader.CustomPreReqPageUrl = "HTTPS://help.intranet/";
loader.CustomPreReqPageUrl = "ftp://help.intranet/";
check(loader.CustomPreReqPageUrl === "HTTPS://help.intranet/", 63);
loader.CustomPreReqPageUrl = "no_url";
check(loader.CustomPreReqPageUrl === "no_url", 64);

// Set only.
loader.AuthUser = "user";
loader.AuthPassword = "password";
loader.AuthProxyUser = "proxy user";
loader.AuthProxyPassword = "proxy password";
loader.AuthProxyURL = "http://proxy.intranet";
loader.AuthProxyPort = 8080;
loader.AuthReserved = "PAGE";
loader.StartByDorivizu = true;
check(fails(function () { return loader.AuthUser; }), 70);
check(fails(function () { return loader.AuthProxyPort; }), 71);

// Not implemented, and not known before start-up.
check(fails(function () { loader.TestTypeFile = "types.xml"; }), 80);
check(fails(function () { return loader.TestTypeFile; }), 81);
check(fails(function () { loader.CustomTestTypesFiles = "types.xml"; }), 82);
check(fails(function () { return loader.CustomTestTypesFiles; }), 83);
check(fails(function () { return loader.DeploymentLocation; }), 84);
check(fails(function () { loader.DeploymentLocation = "C:\elsewhere"; }), 85);
WScript.Quit(100);
)";

const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "  <assemblyIdentity type=\"win32\" name=\"ZEL.Client\" version=\"1.0.0.0\"/>\r\n"
    "  <file name=\"zelclient.dll\"/>\r\n"
    "</assembly>\r\n";

class ScriptHostTest : public MachineTest {
 protected:
  void SetUp() override { ASSERT_EQ(RunAndWait(Regsvr32("")), 0); }
  void TearDown() override { EXPECT_EQ(RunAndWait(Regsvr32("/u")), 0); }
};

TEST_F(ScriptHostTest, AJScriptDrivesTheHelperAndReadsItsRefusals) {
  const std::string folder = machine_.ScratchFolder() + "\\deployment";
  ASSERT_EQ(platform::CreateDirectoryWithParents(folder), platform::kErrorSuccess);
  ASSERT_TRUE(WriteTestFile(folder + "\\ZEL-Client.exe.manifest", kManifest));
  const std::string script = machine_.ScratchFolder() + "\\helper.js";
  ASSERT_TRUE(WriteTestFile(script, kScript));
  EXPECT_EQ(RunAndWait("cscript.exe //nologo \"" + script + "\" \"" + folder + "\""),
            kScriptPassed);
}

TEST_F(ScriptHostTest, AJScriptSetsAndReadsEveryPropertyOfTheControl) {
  const std::string script = machine_.ScratchFolder() + "\\loader.js";
  ASSERT_TRUE(WriteTestFile(script, kLoaderScript));
  EXPECT_EQ(RunAndWait("cscript.exe //nologo \"" + script + "\""), kScriptPassed);
}

}  // namespace
