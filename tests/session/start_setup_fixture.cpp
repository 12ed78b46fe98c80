#include "start_setup_fixture.h"

#include <chrono>
#include <thread>

#include "infra/RecursiveDirDelete.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"
#include "platform/SystemFacts.h"
#include "test_files.h"

platform::HResult StartSetupLoader::IsIeInProtectedMode(bool& protectedMode) {
  if (answerProtected) {
    protectedMode = true;
    return platform::kSOk;
  }
  return CLoader::IsIeInProtectedMode(protectedMode);
}

StartSetupTest::StartSetupTest() : trust_(FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CA"))) {
  NewSession();
}

void StartSetupTest::NewSession() {
  loader_.reset();
  Pump();
  journal_.clear();
  end_.ends.clear();
  auto loader = std::make_unique<StartSetupLoader>(host_);
  session_ = loader.get();
  loader_ = std::move(loader);
  session_->Events().Advise(sink_);
  session_->SetEndSink(&end_);
  // Windows keeps one temporary folder for every test.
  RecursiveDirDelete(WorkingFolder());
}

StartSetupTest::~StartSetupTest() {
  const std::string cookies = session_->Network().Configuration().CookieFilePath();
  if (!cookies.empty()) platform::DeletePath(cookies);
  // The session goes before the objects it reports to.
  loader_.reset();
  RecursiveDirDelete(WorkingFolder());
}

std::string StartSetupTest::DeployRoot() { return PlatformRoot() + "/deploy"; }

std::string StartSetupTest::WorkingFolder() {
  std::string temp;
  platform::QueryTempFolder(temp);
  if (!temp.empty() && temp.back() == '\\') temp.pop_back();
  return temp + "\\TK_80\\Loader";
}

void StartSetupTest::UseDeploySite(const std::string& tkRoot) {
  Properties().put_TkRootURL(tkRoot + "/");
  Properties().put_SetupFile(DeployRoot() + "/setup/VuvoViziz_setup.cab");
  Properties().put_SetupExtFile(DeployRoot() + "/setup/custom_modules.cab");
  Properties().put_PluginExtFiles(DeployRoot() + "/Extensions/plugins.txt");
  Properties().put_IsolatedDeployment(-1);
}

void StartSetupTest::SetMachine(bool administrator, bool protectedMode) {
  if (TestMachine::IsConfigurable()) {
    ASSERT_TRUE(machine_.Configure(std::string("[user]\nadministrator=") +
                                   (administrator ? "true" : "false") +
                                   "\n[browser]\nie_protected_mode=" + (protectedMode ? "on" : "off") +
                                   "\n"));
    return;
  }
  State().userIsAdminKnown = true;
  State().userIsAdmin = administrator;
  session_->answerProtected = protectedMode;
}

void StartSetupTest::RunStartUp() {
  CreateControl();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  Pump();
  while (!session_->downloadPosted && end_.ends.empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Pump();
  }
}

std::vector<std::string> StartSetupTest::StartSetupLines() const {
  std::vector<std::string> lines;
  const std::string location = "\tCLoader::OnStartSetup\t";
  for (const std::string& line : debug_.Lines()) {
    const size_t at = line.find(location);
    if (line.rfind("ZEL\t", 0) != 0 || at == std::string::npos) continue;
    std::string message = line.substr(at + location.size());
    if (!message.empty() && message.back() == '\t') message.pop_back();
    lines.push_back(line.substr(4, at - 4) + " " + message);
  }
  return lines;
}

std::string StartSetupTest::ShownFailure() const {
  for (platform::WindowHandle child : platform::ChildWindows(loader_->ControlWindow())) {
    if (platform::OrdinalEqualsNoCase(platform::ReadClassName(child), "Edit")) return platform::ReadWindowText(child);
  }
  return "";
}
