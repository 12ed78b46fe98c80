// Registration of varnik.dll as COM servers see it: regsvr32 for the
// machine, regsvr32 /n /i:user for the current user (read from the user's
// Software\Classes directly: Wine does not merge it into HKCR), DllInstall
// called in-process, and the roll-back of a registration that fails.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/CServerRegistration.h"
#include "com/varnik_h.h"
#include "com_test_support.h"
#include "infra/SystemInfo.h"
#include "platform/TextCompare.h"
#include "scratch_registry_key.h"
#include "test_machine.h"

namespace {

using platform::RegistryRoot;

const std::string kClasses = "Software\\Classes\\";

std::string ClassKey(REFCLSID clsid) { return kClasses + "CLSID\\" + GuidText(clsid); }

// Every key the two scripts write, with its default value ("" for none).
std::vector<std::pair<std::string, std::string>> ScriptKeys() {
  const std::string loader = ClassKey(CLSID_Loader);
  const std::string helper = ClassKey(CLSID_DeploymentHelper);
  const std::string module = VarnikDllPath();
  return {
      {kClasses + "ZEL-Platform-Loader16.00.1", "ZEL Platform Loader v17.0X"},
      {kClasses + "ZEL-Platform-Loader16.00.1\\CLSID", GuidText(CLSID_Loader)},
      {kClasses + "ZEL-Platform-Loader16.00", "ZEL Platform Loader v17.0X"},
      {kClasses + "ZEL-Platform-Loader16.00\\CLSID", GuidText(CLSID_Loader)},
      {kClasses + "ZEL-Platform-Loader16.00\\CurVer", "ZEL-Platform-Loader16.00.1"},
      {loader, "ZEL Platform Loader v17.0X"},
      {loader + "\\ProgID", "ZEL-Platform-Loader16.00.1"},
      {loader + "\\VersionIndependentProgID", "ZEL-Platform-Loader16.00"},
      {loader + "\\Programmable", "<missing>"},
      {loader + "\\Control", "<missing>"},
      {loader + "\\Insertable", "<missing>"},
      {loader + "\\ToolboxBitmap32", module + ", 101"},
      {loader + "\\InprocServer32", module},
      {loader + "\\MiscStatus", "0"},
      {loader + "\\MiscStatus\\1", "131473"},
      {loader + "\\TypeLib", GuidText(LIBID_VARNIKLib)},
      {loader + "\\Version", "1.0"},
      {kClasses + "Varnik.DeploymentHelper.1", "DeploymentHelper Class"},
      {kClasses + "Varnik.DeploymentHelper.1\\CLSID", GuidText(CLSID_DeploymentHelper)},
      {kClasses + "Varnik.DeploymentHelper", "DeploymentHelper Class"},
      {kClasses + "Varnik.DeploymentHelper\\CurVer", "Varnik.DeploymentHelper.1"},
      {helper, "DeploymentHelper Class"},
      {helper + "\\ProgID", "Varnik.DeploymentHelper.1"},
      {helper + "\\VersionIndependentProgID", "Varnik.DeploymentHelper"},
      {helper + "\\Programmable", "<missing>"},
      {helper + "\\InprocServer32", module},
      {helper + "\\TypeLib", "{C1C0913B-2431-4FAE-B134-9D52642BDB76}"},
  };
}

std::string TypeLibKey() { return kClasses + "TypeLib\\" + GuidText(LIBID_VARNIKLib); }

void ExpectScriptsWritten(RegistryRoot root) {
  for (const auto& key : ScriptKeys()) {
    EXPECT_TRUE(KeyExists(root, key.first)) << key.first;
    EXPECT_TRUE(platform::OrdinalEqualsNoCase(DefaultValue(root, key.first), key.second))
        << key.first;
  }
  EXPECT_EQ(NamedValue(root, ClassKey(CLSID_Loader) + "\\InprocServer32", "ThreadingModel"),
            "Apartment");
  EXPECT_EQ(NamedValue(root, ClassKey(CLSID_DeploymentHelper) + "\\InprocServer32",
                       "ThreadingModel"),
            "Both");
}

void ExpectNothingOfOurs(RegistryRoot root) {
  for (const auto& key : ScriptKeys()) EXPECT_FALSE(KeyExists(root, key.first)) << key.first;
  EXPECT_FALSE(KeyExists(root, TypeLibKey()));
  EXPECT_FALSE(KeyExists(root, kClasses + "Interface\\" + GuidText(IID_ILoader4)));
  EXPECT_TRUE(KeyExists(root, kClasses + "CLSID")) << "CLSID is never removed";
}

// Leaves neither kind of registration behind, whatever a test did.
class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { CleanUp(); }
  void TearDown() override { CleanUp(); }
  static void CleanUp() {
    RunAndWait(Regsvr32("/u"));
    RunAndWait(Regsvr32("/u /n /i:user"));
  }
};

TEST_F(RegistrationTest, Regsvr32RegistersBothClassesAndTheTypeLibraryAndRemovesThemAgain) {
  ASSERT_EQ(RunAndWait(Regsvr32("")), 0);
  ExpectScriptsWritten(RegistryRoot::LocalMachine);
  const std::string win = sizeof(void*) == 8 ? "win64" : "win32";
  EXPECT_TRUE(platform::OrdinalEqualsNoCase(
      DefaultValue(RegistryRoot::LocalMachine, TypeLibKey() + "\\1.0\\409\\" + win),
      VarnikDllPath()));
  EXPECT_EQ(DefaultValue(RegistryRoot::LocalMachine, TypeLibKey() + "\\1.0"),
            "ZEL-Platform-Loader Type Library");
  EXPECT_TRUE(KeyExists(RegistryRoot::LocalMachine,
                        kClasses + "Interface\\" + GuidText(IID_ILoader4)));
  {
    // COM finds the helper through the registration.
    ComApartment apartment;
    IDeploymentHelper2* helper = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_DeploymentHelper, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IDeploymentHelper2, reinterpret_cast<void**>(&helper)),
              S_OK);
    if (helper) helper->Release();
  }

  ASSERT_EQ(RunAndWait(Regsvr32("/u")), 0);
  ExpectNothingOfOurs(RegistryRoot::LocalMachine);
  // Unregistering what is not registered succeeds.
  EXPECT_EQ(RunAndWait(Regsvr32("/u")), 0);
}

TEST_F(RegistrationTest, Regsvr32ForTheUserWritesTheUsersClassesOnly) {
  ASSERT_EQ(RunAndWait(Regsvr32("/n /i:user")), 0);
  ExpectScriptsWritten(RegistryRoot::CurrentUser);
  for (const auto& key : ScriptKeys()) {
    EXPECT_FALSE(KeyExists(RegistryRoot::LocalMachine, key.first)) << key.first;
  }
  if (RunningOnWine()) {
    // Wine's RegisterTypeLibForUser registers for the whole machine.
    EXPECT_TRUE(KeyExists(RegistryRoot::LocalMachine, TypeLibKey()));
  } else {
    EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, TypeLibKey()));
    EXPECT_FALSE(KeyExists(RegistryRoot::LocalMachine, TypeLibKey()));
  }

  ASSERT_EQ(RunAndWait(Regsvr32("/u /n /i:user")), 0);
  ExpectNothingOfOurs(RegistryRoot::CurrentUser);
  EXPECT_FALSE(KeyExists(RegistryRoot::LocalMachine, TypeLibKey()));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, "Software\\Classes"));
}

TEST_F(RegistrationTest, DllInstallSwitchesToTheUserForExactlyUserInAnyCase) {
  {
    LoadedVarnik varnik;
    ASSERT_EQ(varnik.Install(TRUE, L"USER"), S_OK);
    ExpectScriptsWritten(RegistryRoot::CurrentUser);
    EXPECT_FALSE(KeyExists(RegistryRoot::LocalMachine, ClassKey(CLSID_Loader)));
    // The switch holds for later calls: DllUnregisterServer removes the
    // user's registration.
    ASSERT_EQ(varnik.UnregisterServer(), S_OK);
    ExpectNothingOfOurs(RegistryRoot::CurrentUser);
  }
  {
    LoadedVarnik varnik;
    ASSERT_EQ(varnik.Install(TRUE, L"users"), S_OK);
    EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, ClassKey(CLSID_Loader)));
    ExpectScriptsWritten(RegistryRoot::LocalMachine);
    ASSERT_EQ(varnik.Install(FALSE, L"users"), S_OK);
    ExpectNothingOfOurs(RegistryRoot::LocalMachine);
  }
}

TEST_F(RegistrationTest, DllInstallWithoutACommandLineRegistersForTheMachine) {
  LoadedVarnik varnik;
  ASSERT_EQ(varnik.Install(TRUE, nullptr), S_OK);
  ExpectScriptsWritten(RegistryRoot::LocalMachine);
  ASSERT_EQ(varnik.Install(FALSE, nullptr), S_OK);
  ExpectNothingOfOurs(RegistryRoot::LocalMachine);
}

TEST_F(RegistrationTest, AModulePathTheCodePageCannotHoldIsRefusedNotRegisteredWrong) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "a UTF-8 code page holds every path";
  TestMachine machine;
  const std::string scratch = machine.ScratchFolder();
  // A Sinhala letter: no ANSI code page has it.
  const std::wstring folder = std::wstring(scratch.begin(), scratch.end()) + L"\\\u0d9a";
  const std::wstring copy = folder + L"\\varnik.dll";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(VarnikDllPathW().c_str(), copy.c_str(), FALSE));
  HMODULE module = LoadLibraryW(copy.c_str());
  ASSERT_NE(module, nullptr);
  auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  ASSERT_NE(registerServer, nullptr);
  EXPECT_EQ(registerServer(), HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION));
  FreeLibrary(module);
  ExpectNothingOfOurs(RegistryRoot::LocalMachine);
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(folder.c_str());
}

// A plan of one good class script for the user and something that fails
// after it.
class RollBackTest : public ::testing::Test {
 protected:
  RollBackTest()
      : name_("VarnikTests-" + NewGuidString()),
        key_(RegistryRoot::CurrentUser, kClasses + name_) {}

  std::string GoodScript() const {
    return "HKCR\n{\n  '" + name_ + "' = s 'x'\n  {\n    InprocServer32 = s '%MODULE%'\n  }\n}\n";
  }

  std::string name_;
  ScratchRegistryKey key_;
};

TEST_F(RollBackTest, AFailedInstallTakesBackWhatItWrote) {
  const CServerRegistration badScript({{GoodScript(), "HKCR\n{\n  broken = s 'x'\n"}, "m.dll", L""});
  EXPECT_EQ(badScript.Install(true), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, key_.Path()));

  // A file without a type library fails after both scripts were written.
  const CServerRegistration noTypeLib({{GoodScript()}, "m.dll", L"C:\\windows\\system32\\kernel32.dll"});
  EXPECT_TRUE(FAILED(noTypeLib.Install(true)));
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, key_.Path()));

  // A plain registration that fails is left as it is, for the caller to see.
  EXPECT_TRUE(FAILED(noTypeLib.Register(true)));
  EXPECT_EQ(DefaultValue(RegistryRoot::CurrentUser, key_.Path() + "\\InprocServer32"), "m.dll");
}

TEST_F(RollBackTest, UninstallStopsAtTheFirstPartItCannotRemove) {
  const CServerRegistration plan({{"HKCR\n{\n  broken\n", GoodScript()}, "m.dll", L""});
  ASSERT_EQ(CServerRegistration({{GoodScript()}, "m.dll", L""}).Register(true), S_OK);
  EXPECT_EQ(plan.Unregister(true, true), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_TRUE(KeyExists(RegistryRoot::CurrentUser, key_.Path()));
  // Unregistration without stopping carries on and reports the failure.
  EXPECT_EQ(plan.Unregister(true, false), HRESULT_FROM_WIN32(ERROR_INVALID_DATA));
  EXPECT_FALSE(KeyExists(RegistryRoot::CurrentUser, key_.Path()));
}

}  // namespace
