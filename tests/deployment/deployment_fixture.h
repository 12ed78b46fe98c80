// A control's deployment-location objects wired together on a machine of
// the test's own, with folder lookups that a test can make fail.
#pragma once

#include <string>

#include "debug_output_capture.h"
#include "deployment/CIniFile.h"
#include "deployment/DeploymentEngine.h"
#include "deployment/DeploymentSettings.h"
#include "deployment/PathMacros.h"
#include "deployment/SystemFolders.h"
#include "infra/FailureList.h"
#include "test_machine.h"

// The system's answers unless a test switches a lookup to failing or to a
// value of its own.
class TestFolders : public SystemFolders {
 public:
  bool failTemp = false;
  bool failWindows = false;
  bool failSystem = false;
  bool failAppData = false;
  bool failInstallFoldersKey = false;
  bool overrideInstallFolders = false;
  InstallFolders installFolders;

  bool TempFolder(std::string& folder) override;
  bool WindowsFolder(std::string& folder) override;
  bool SystemFolder(std::string& folder) override;
  bool AppDataFolder(bool perUser, std::string& folder) override;
  bool ReadInstallFolders(InstallFolders& folders) override;
};

class DeploymentTest : public MachineTest {
 protected:
  static constexpr const char* kAppDataDestination = "%AppData%\\QX\\ZEL-Client";

  DeploymentTest();
  ~DeploymentTest() override;

  // The engine of a new control on the same machine, sharing this one's
  // settings, merged setup and failure list.
  struct Control {
    Control(DeploymentTest& test);
    PathMacros paths;
    DeploymentEngine engine;
  };

  // Folder lookups straight from the system, for expectations.
  static std::string SystemTempFolder();  // without the trailing "\"
  static std::string AppData(bool perUser);

  static void WriteText(const std::string& path, const std::string& text);
  static CIniFile ReadIni(const std::string& path);
  static bool IsFolder(const std::string& path);
  static bool Exists(const std::string& path);
  static void RemoveTree(const std::string& path);

  // The line the logger sends to the debugger for an INFO report.
  bool LoggedInfo(const std::string& location, const std::string& message) const;

  DeploymentSettingsValues settings_;
  CIniFile mergedSetup_;
  FailureList failures_;
  TestFolders folders_;
  PathMacros paths_;
  DeploymentEngine engine_;
  DebugOutputCapture debug_;

 private:
  void RemoveLoaderFolders();
};
