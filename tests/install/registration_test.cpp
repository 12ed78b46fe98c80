#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "infra/FailureList.h"
#include "infra/SystemInfo.h"
#include "install/AssemblyRegistration.h"
#include "install/ComSurrogate.h"
#include "install/ComponentRegistration.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "post_download_fixture.h"
#include "scratch_registry_key.h"
#include "test_files.h"

namespace {

using platform::RegistryAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

bool KeyExists(RegistryRoot root, const std::string& path) {
  RegistryKey key;
  return RegistryKey::Open(root, path, RegistryAccess::Read, key) == platform::kErrorSuccess;
}

std::string ReadString(RegistryRoot root, const std::string& path, const std::string& name) {
  RegistryKey key;
  std::string value;
  if (RegistryKey::Open(root, path, RegistryAccess::Read, key) != platform::kErrorSuccess ||
      key.ReadString(name, value) != platform::kErrorSuccess)
    return "<none>";
  return value;
}

void WriteString(RegistryRoot root, const std::string& path, const std::string& name,
                 const std::string& value) {
  RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess, RegistryKey::Create(root, path, key));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString(name, value));
}

using RegistrationTest = PostDownloadTest;

TEST_F(RegistrationTest, ComExecutableWithABlankInItsPathIsStartedItself) {
  // Unquoted, "...\my tools\server.exe -regserver" would start "...\my.exe".
  const std::string decoy = deployment_ + "\\my.exe";
  const std::string server = deployment_ + "\\my tools\\server.exe";
  ASSERT_TRUE(PlaceHelper(decoy));
  ASSERT_TRUE(PlaceHelper(server));
  DebugOutputCapture log;
  RegisterActiveXExe(server);
  EXPECT_EQ((std::vector<std::string>{"[-regserver]"}), Runs(server));
  EXPECT_TRUE(Runs(decoy).empty());
  EXPECT_TRUE(log.Mentions("Registering executable:" + server));
}

class RegasmTest : public RegistrationTest {
 protected:
  RegasmTest() {
    frameworks_ = machine_.ScratchFolder() + "\\Framework";
    framework_.root = RegistryRoot::CurrentUser;
    framework_.path = key_.Path();
    WriteString(framework_.root, framework_.path, "InstallRoot", frameworks_);
  }

  // A framework version: its key and, with regasm, a folder holding it.
  std::string AddFramework(const std::string& version, bool withRegasm) {
    RegistryKey created;
    EXPECT_EQ(platform::kErrorSuccess,
              RegistryKey::Create(framework_.root, framework_.path + "\\" + version, created));
    const std::string regasm = frameworks_ + "\\" + version + "\\regasm.exe";
    if (withRegasm) {
      EXPECT_TRUE(PlaceHelper(regasm));
    }
    return regasm;
  }

  ScratchRegistryKey key_;
  FrameworkKey framework_;
  std::string frameworks_;
  std::string progId_ = "Varnik.Fixture." + NewGuidString();
  ScratchRegistryKey progIdKey_{RegistryRoot::CurrentUser, "Software\\Classes\\" + progId_};
};

TEST_F(RegasmTest, SearchPrefersFourAndNeverTakesAnOlderFramework) {
  std::string found;
  platform::Win32Error error = platform::kErrorSuccess;
  AddFramework("v2.0.50727", true);
  EXPECT_FALSE(FindRegasm(found, error, framework_));
  EXPECT_TRUE(error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound)
      << error;

  AddFramework("v4.5", true);
  AddFramework("v4.0.30319", false);
  ASSERT_TRUE(FindRegasm(found, error, framework_));
  EXPECT_EQ(frameworks_ + "\\v4.5\\regasm.exe", found);

  const std::string preferred = AddFramework("v4.0.30319", true);
  ASSERT_TRUE(FindRegasm(found, error, framework_));
  EXPECT_EQ(preferred, found);

  FrameworkKey missing = framework_;
  missing.path += "\\absent";
  EXPECT_FALSE(FindRegasm(found, error, missing));
  EXPECT_EQ(platform::kErrorFileNotFound, error);
}

TEST_F(RegasmTest, RegasmRunsAfterTheStaleClassIsRemoved) {
  const std::string regasm = AddFramework("v4.0.30319", true);
  const std::string clsid = "{" + NewGuidString() + "}";
  const std::string other = "{" + NewGuidString() + "}";
  ScratchRegistryKey staleClass(RegistryRoot::CurrentUser, "Software\\Classes\\CLSID\\" + clsid);
  ScratchRegistryKey otherClass(RegistryRoot::CurrentUser, "Software\\Classes\\CLSID\\" + other);
  WriteString(RegistryRoot::CurrentUser, progIdKey_.Path() + "\\CLSID", "", clsid);
  WriteString(RegistryRoot::CurrentUser, staleClass.Path() + "\\InprocServer32", "", "old.dll");
  WriteString(RegistryRoot::CurrentUser, otherClass.Path() + "\\InprocServer32", "", "other.dll");

  const std::string assembly = deployment_ + "\\Client Api.dll";
  uint32_t error = 99;
  EXPECT_TRUE(RegisterAssembly(assembly, progId_, error, framework_));
  EXPECT_EQ(0u, error);
  EXPECT_EQ((std::vector<std::string>{"[/codebase] [/silent] [" + assembly + "]"}), Runs(regasm));
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, staleClass.Path()));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, otherClass.Path()));

  // A ProgId whose class is blank names no class to remove: CLSID itself
  // stays whole.
  WriteString(RegistryRoot::CurrentUser, progIdKey_.Path() + "\\CLSID", "", "");
  ASSERT_TRUE(WriteTestFile(regasm + ".exit.txt", "5"));
  EXPECT_FALSE(RegisterAssembly(assembly, progId_, error, framework_));
  EXPECT_EQ(5u, error);
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, otherClass.Path()));
}

TEST_F(RegistrationTest, SurrogateSwitchFollowsARegistrationAndNamesTheChosenComponent) {
  host_.comSurrogate = true;
  for (const bool forXpi : {true, false}) {
    const std::string id = forXpi ? kXpiSurrogateId : kRiRurSurrogateId;
    ScratchRegistryKey appId(RegistryRoot::LocalMachine, "SOFTWARE\\Classes\\AppID\\" + id);
    ScratchRegistryKey classId(RegistryRoot::LocalMachine, "SOFTWARE\\Classes\\CLSID\\" + id);
    host_.isVuvoVizizSetup = !forXpi;
    Run({Component("plain.txt")});
    EXPECT_FALSE(KeyExists(RegistryRoot::LocalMachine, appId.Path()));
    CDataStructure registered = Component("data.txt");
    registered.registerComponent = true;
    DebugOutputCapture log;
    Run({registered});
    EXPECT_EQ("", ReadString(RegistryRoot::LocalMachine, appId.Path(), "DllSurrogate"));
    EXPECT_EQ(id, ReadString(RegistryRoot::LocalMachine, classId.Path(), "AppID"));
    EXPECT_TRUE(log.Mentions(forXpi ? "Enable XPI COM surrogate " : "Enable RiRUR COM surrogate "));
  }
}

#ifdef _WIN32
// In-process servers built by the tests: each records its class under the
// user's classes when DllRegisterServer is called.
class ComLibraryTest : public RegistrationTest {
 protected:
  static constexpr char kTypeLibrary[] =
      "Software\\Classes\\TypeLib\\{49D5C06F-6750-487B-8509-C33D9BAF9660}";

  // The library copied into the deployment folder under name.
  std::string Place(const char* built, const std::string& name) {
    const std::string path = deployment_ + "\\" + name;
    EXPECT_TRUE(WriteTestFile(path, ReadTestFile(FromBuildMachine(built))));
    return path;
  }

  static std::string ClassKey(const char* clsid) {
    return std::string("Software\\Classes\\CLSID\\") + clsid;
  }

  // The type library is registered in the user's or the machine's classes.
  static bool TypeLibraryRegistered() {
    return KeyExists(RegistryRoot::CurrentUser, kTypeLibrary) ||
           KeyExists(RegistryRoot::LocalMachine, kTypeLibrary);
  }

  ScratchRegistryKey userTypeLibrary_{RegistryRoot::CurrentUser, kTypeLibrary};
  ScratchRegistryKey machineTypeLibrary_{RegistryRoot::LocalMachine, kTypeLibrary};
  ScratchRegistryKey server_{RegistryRoot::CurrentUser, ClassKey(VARNIK_COM_FIXTURE_CLSID)};
  ScratchRegistryKey failing_{RegistryRoot::CurrentUser,
                              ClassKey(VARNIK_COM_FIXTURE_FAILING_CLSID)};
  ScratchRegistryKey plain_{RegistryRoot::CurrentUser, ClassKey(VARNIK_COM_FIXTURE_PLAIN_CLSID)};
  FailureList failures_;
};

TEST_F(ComLibraryTest, ServerAndItsTypeLibraryAreRegistered) {
  const std::string path = Place(VARNIK_COM_FIXTURE, "server one.dll");
  DebugOutputCapture log;
  RegisterLibrary(path, ".dll", failures_);
  EXPECT_EQ(path, ReadString(RegistryRoot::CurrentUser, server_.Path() + "\\InprocServer32", ""));
  EXPECT_TRUE(TypeLibraryRegistered());
  EXPECT_TRUE(failures_.Entries().empty());
  EXPECT_TRUE(log.Mentions("Registering library:" + path));
}

TEST_F(ComLibraryTest, FailingServerIsLoggedAndItsTypeLibraryStillRegistered) {
  const std::string path = Place(VARNIK_COM_FIXTURE_FAILING, "failing.ocx");
  DebugOutputCapture log;
  RegisterLibrary(path, ".ocx", failures_);
  EXPECT_TRUE(log.Mentions("Cannot register ActiveX server failing.ocx, hresult = -2147467259"));
  EXPECT_TRUE(TypeLibraryRegistered());
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(ComLibraryTest, ServerWithoutATypeLibraryIsReported) {
  const std::string path = Place(VARNIK_COM_FIXTURE_PLAIN, "plain.dll");
  DebugOutputCapture log;
  RegisterLibrary(path, ".dll", failures_);
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, plain_.Path()));
  ASSERT_EQ(1u, failures_.Entries().size());
  EXPECT_EQ("plain.dll", failures_.Entries()[0].file);
  EXPECT_EQ("Cannot load type library", failures_.Entries()[0].description);
  EXPECT_TRUE(log.Mentions("Cannot load type library  plain.dll"));
}

TEST_F(ComLibraryTest, TypeLibraryFileIsNotCalledInto) {
  // The server under a .tlb name: its type library is read, its code not run.
  const std::string path = Place(VARNIK_COM_FIXTURE, "types.tlb");
  RegisterLibrary(path, ".tlb", failures_);
  EXPECT_TRUE(TypeLibraryRegistered());
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, server_.Path()));
  EXPECT_TRUE(failures_.Entries().empty());
}

TEST_F(RegasmTest, RegasmFailuresGoToTheReport) {
  FailureList failures;
  const std::string assembly = deployment_ + "\\api.dll";
  AddFramework("v2.0.50727", true);
  RegisterAssemblyAndLogError(assembly, progId_, failures, framework_);
  const std::string regasm = AddFramework("v4.0.30319", true);
  ASSERT_TRUE(WriteTestFile(regasm + ".exit.txt", "5"));
  RegisterAssemblyAndLogError(assembly, progId_, failures, framework_);
  ASSERT_TRUE(WriteTestFile(regasm + ".exit.txt", "11"));
  RegisterAssemblyAndLogError(assembly, progId_, failures, framework_);
  const std::vector<FailureList::Entry> entries = failures.Entries();
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("You do not have the .NET Framework installed on this computer.", entries[0].file);
  EXPECT_EQ("https://dotnet.microsoft.com/download/dotnet-framework", entries[0].description);
  EXPECT_EQ("Cannot register assembly -access denied.", entries[1].file);
  EXPECT_EQ(assembly, entries[1].description);
  EXPECT_EQ("The .exe file is invalid (non-Microsoft Win32 .exe or error in .exe image).",
            entries[2].file);
  EXPECT_EQ("", entries[2].description);
}
#else
TEST_F(RegistrationTest, WithoutWindowsRegistrationSaysSoAndReportsNothing) {
  DebugOutputCapture log;
  FailureList failures;
  RegisterLibrary(deployment_ + "\\client.ocx", ".ocx", failures);
  RegisterAssemblyAndLogError(deployment_ + "\\api.dll", "Api.Class", failures);
  EXPECT_TRUE(failures.Entries().empty());
  EXPECT_TRUE(log.Mentions("COM and type-library registration need Windows; " + deployment_ +
                           "\\client.ocx stays unregistered on this machine"));
  EXPECT_TRUE(log.Mentions(".NET assembly registration needs Windows; " + deployment_ +
                           "\\api.dll stays unregistered on this machine"));
}

TEST_F(RegistrationTest, SurrogateSwitchFailsWhenTheMachineHiveCannotBeWritten) {
  // A folder where the machine's hive file belongs.
  const std::string hive = std::string(std::getenv("VARNIK_ROOT")) + "/registry/local_machine.reg";
  platform::CreateDirectoryWithParents(hive);
  DebugOutputCapture log;
  EXPECT_FALSE(EnableXPI_SA_Surrogate(true));
  EXPECT_TRUE(log.Mentions("Enable COM surrogate failed!"));
}
#endif

}  // namespace
