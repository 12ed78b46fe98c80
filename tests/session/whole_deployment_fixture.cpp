#include "whole_deployment_fixture.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "deployment/SystemFolders.h"
#include "infra/RecursiveDirDelete.h"
#include "platform/FileSystem.h"
#include "platform/MessageLoop.h"
#include "platform/SystemFacts.h"
#include "platform/TextCompare.h"
#include "platform/WindowSystem.h"
#include "session/FailureReport.h"
#include "session/SiteLock.h"
#include "test_files.h"

namespace {

constexpr char kRootName[] = "\\VarnikWhole";
constexpr char kSite[] = "/wnbin/whole/site/";

// Hands each event, as the recording sink wrote it, to the test.
class EventHook : public LoaderEventSink {
 public:
  EventHook(const std::vector<std::string>& journal, const std::function<void(const std::string&)>& hook)
      : journal_(journal), hook_(hook) {}
  platform::HResult OnReady() override { return Pass(); }
  platform::HResult OnUIActive() override { return Pass(); }
  platform::HResult OnDownloadProgress(int32_t, int32_t, const std::string&) override { return Pass(); }
  platform::HResult OnFileDownloadProgress(int32_t) override { return Pass(); }
  platform::HResult OnError(const std::string&) override { return Pass(); }
  platform::HResult OnFailure(const std::string&) override { return Pass(); }
  platform::HResult OnDownloadStart() override { return Pass(); }
  platform::HResult OnSlo() override { return Pass(); }

 private:
  platform::HResult Pass() {
    if (hook_ && !journal_.empty()) hook_(journal_.back());
    return platform::kSOk;
  }
  const std::vector<std::string>& journal_;
  const std::function<void(const std::string&)>& hook_;
};

}  // namespace

Page::Page()
    : tkRoot(PlatformRoot() + "/whole"), setupFile(tkRoot + "/site/VuvoViziz_setup.cab") {}

std::vector<std::string> Deployment::SiteRequests() const {
  std::vector<std::string> names;
  for (const std::string& request : requests) {
    const size_t at = request.find(kSite);
    if (at == std::string::npos) continue;
    const size_t end = request.find_first_of("? ", at);
    names.push_back(request.substr(at + sizeof(kSite) - 1, end - at - (sizeof(kSite) - 1)));
  }
  return names;
}

WholeDeploymentTest::WholeDeploymentTest()
    : hostWindow_(platform::CreateHostWindow("whole deployment", 800, 600)),
      trust_(FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CA"))) {
  Publish("base");
  Clean();
  FailureReport::Instance().Clear();
  SetSiteLockFlag(false);
}

WholeDeploymentTest::~WholeDeploymentTest() {
  loader_.reset();
  platform::DestroyWindowNow(hostWindow_);
  PumpFor(10);
  FailureReport::Instance().Clear();
  Publish("base");
  Clean();
}

// Under Wine every test of the run shares the user's folders: what one
// test deploys must not meet the next one.
void WholeDeploymentTest::Clean() const {
  std::string folder;
  for (bool perUser : {true, false}) {
    if (SystemFolders::Default().AppDataFolder(perUser, folder)) RecursiveDirDelete(folder + kRootName);
  }
  std::string temp;
  platform::QueryTempFolder(temp);
  if (!temp.empty() && temp.back() == '\\') temp.pop_back();
  RecursiveDirDelete(temp + "\\TK_80\\Loader");
}

std::string WholeDeploymentTest::DeploymentRoot() const {
  std::string folder;
  SystemFolders::Default().AppDataFolder(true, folder);
  return folder + kRootName;
}

void WholeDeploymentTest::Publish(const std::string& edition) {
  for (const char* suffix : {"", "-client"}) {
    const std::string bytes =
        ReadTestFile(ServedFile("wnbin/whole/editions/" + edition + suffix + ".cab"));
    ASSERT_FALSE(bytes.empty()) << "no edition " << edition << suffix;
    ASSERT_TRUE(WriteTestFile(SiteFile(*suffix ? "Client_setup.cab" : "VuvoViziz_setup.cab"), bytes));
  }
}

std::string WholeDeploymentTest::SiteFile(const std::string& name) {
  return ServedFile("wnbin/whole/site/" + name);
}

bool WholeDeploymentTest::Exists(const std::string& path) {
  uint32_t attributes = 0;
  return platform::ReadPathAttributes(path, attributes);
}

void WholeDeploymentTest::OnSessionEnded(SessionOutcome outcome, const std::string& reason) {
  end_ = std::string(SessionOutcomeName(outcome)) + (reason.empty() ? "" : ":" + reason);
}

Deployment WholeDeploymentTest::Deploy(const Page& page) {
  // The page that was there before is left: its control goes first.
  loader_.reset();
  PumpFor(10);
  journal_.clear();
  end_.clear();
  FailureReport::Instance().Clear();
  if (TestMachine::IsConfigurable()) {
    EXPECT_TRUE(machine_.Configure(std::string("[user]\nadministrator=") +
                                   (page.administrator ? "true" : "false") + "\n"));
  }
  loader_ = std::make_unique<CLoader>(host_);
  loader_->SetEndSink(this);
  loader_->Events().Advise(std::make_shared<RecordingSink>(journal_));
  loader_->Events().Advise(std::make_shared<EventHook>(journal_, onEvent));
  SessionState& state = loader_->State();
  // Under Wine the user is who he is: the session's cached answer stands in.
  state.userIsAdminKnown = true;
  state.userIsAdmin = page.administrator;

  LoaderProperties& properties = loader_->Properties();
  properties.put_TkRootURL(page.tkRoot);
  properties.put_SetupFile(page.setupFile);
  properties.put_DownloadContentFlavor(page.flavor);
  properties.put_AdditionalParams(page.additionalParams);
  properties.put_CustomPreReqPageUrl(page.customPreReqPageUrl);
  properties.put_IsolatedDeployment(page.isolated ? -1 : 0);
  properties.put_InstallationOnly(page.installationOnly ? -1 : 0);
  properties.put_UseZELServerVersion(page.useServerVersion ? -1 : 0);
  properties.put_MsiDeployment(page.msi ? -1 : 0);

  const ServedRequestLog served;
  EXPECT_TRUE(loader_->CreateControlWindow(hostWindow_));
  platform::MoveWindowTo(loader_->ControlWindow(), 0, 0, 400, 200, true);
  if (beforeStart) beforeStart(*loader_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
  while (end_.empty() && std::chrono::steady_clock::now() < deadline) PumpFor(2);
  EXPECT_FALSE(end_.empty()) << "the session did not end";

  Deployment run;
  run.events = journal_;
  run.end = end_;
  run.requests = served.Requests();
  run.folder = state.deploymentFolder;
  for (platform::WindowHandle child : platform::ChildWindows(loader_->ControlWindow())) {
    if (platform::OrdinalEqualsNoCase(platform::ReadClassName(child), "Edit"))
      run.shown = platform::ReadWindowText(child);
  }
  return run;
}

std::vector<std::string> WholeDeploymentTest::ClientRecord(const Deployment& run, size_t lines) {
  std::vector<std::string> record;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    record.clear();
    std::istringstream text(ReadTestFile(FileOf(run, "client-record.txt")));
    for (std::string line; std::getline(text, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      record.push_back(line);
    }
    if (record.size() >= lines) break;
    PumpFor(20);
  }
  return record;
}

std::vector<std::string> WholeDeploymentTest::LinesOf(const std::string& location) const {
  std::vector<std::string> lines;
  const std::string tag = "\t" + location + "\t";
  for (const std::string& line : debug_.Lines()) {
    const size_t at = line.find(tag);
    if (line.rfind("ZEL\t", 0) != 0 || at == std::string::npos) continue;
    std::string message = line.substr(at + tag.size());
    if (!message.empty() && message.back() == '\t') message.pop_back();
    lines.push_back(line.substr(4, at - 4) + " " + message);
  }
  return lines;
}

void WholeDeploymentTest::PumpFor(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int quitCode = 0;
  do {
    platform::DispatchWaitingMessages(quitCode);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < until);
}
