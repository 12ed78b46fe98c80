// A control's deployment-location objects wired together on a machine of
// the test's own, with folder lookups that a test can make fail.
#pragma once

#include <string>

#include "debug_output_capture.h"
#include "deployment/DeploymentEngine.h"
#include "infra/FailureList.h"
#include "test_machine.h"

class TestFolders : public SystemFolders {
 public:
  bool failTemp = false, failWindows = false, failSystem = false, failAppData = false;
  bool failInstallFoldersKey = false;
  std::optional<InstallFolders> installFolders;  // instead of the registry's

  bool TempFolder(std::string& f) override { return !failTemp && SystemFolders::TempFolder(f); }
  bool WindowsFolder(std::string& f) override {
    return !failWindows && SystemFolders::WindowsFolder(f);
  }
  bool SystemFolder(std::string& f) override {
    return !failSystem && SystemFolders::SystemFolder(f);
  }
  bool AppDataFolder(bool perUser, std::string& f) override {
    return !failAppData && SystemFolders::AppDataFolder(perUser, f);
  }
  bool ReadInstallFolders(InstallFolders& folders) override;
};

class DeploymentTest : public MachineTest {
 protected:
  DeploymentTest();
  ~DeploymentTest() override;

  // Another control on the same machine, sharing this one's settings,
  // merged setup and failure list.
  struct Control {
    explicit Control(DeploymentTest& test, const std::string& url = "https://srv.example.com/tk");
    PathMacros paths;
    DeploymentEngine engine;
  };

  void SetDestination(const std::string& destination);
  static std::string TempFolder();  // without the final "\"
  static std::string AppData(bool perUser);
  static void WriteText(const std::string& path, const std::string& text);
  static CIniFile ReadIni(const std::string& path);
  static bool IsFolder(const std::string& path);
  static void RemoveTree(const std::string& path);
  bool LoggedInfo(const std::string& location, const std::string& message) const;

  DeploymentSettingsValues settings_;
  CIniFile mergedSetup_;
  FailureList failures_;
  TestFolders folders_;
  PathMacros paths_;
  DeploymentEngine engine_;
  DebugOutputCapture debug_;

 private:
  static void RemoveLoaderFolders();
};
