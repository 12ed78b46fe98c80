#include "completion_fixture.h"

#include <chrono>
#include <thread>

#include "platform/FileSystem.h"
#include "platform/MessageLoop.h"
#include "session/LoaderMessages.h"
#include "test_files.h"

CompletionTest::CompletionTest() {
  loader_ = std::make_unique<PreparedLoader>(host_);
  loader_->Events().Advise(sink_);
  loader_->SetEndSink(&end_);
  loader_->SetNetwork(&network_);
}

void CompletionTest::Prepare() {
  CreateControl(400, 200);
  SessionState& state = State();
  ASSERT_EQ(platform::kSOk, loader_->Properties().put_SetupFile("http://srv.example.com/zel/Setup.cab"));
  state.mergedSetup = IniFromText(machine_.ScratchFolder(),
                                  "[Common Data]\r\nDestination=" + machine_.ScratchFolder() +
                                      "\\Clients\r\n[File_Client]\r\nShortName=client\r\n");
  state.deploymentEngineInitialized = true;
  state.deploymentFolder = loader_->Engine().GetCurrentDeploymentFolder();
  ASSERT_FALSE(state.deploymentFolder.empty());
  ASSERT_TRUE(WriteTestFile(File("Downloaded.txt"), "[Files]\r\n"));
  state.downloadContentFlavor = "Full";
}

CDataStructure& CompletionTest::AddRecord(const std::string& name, bool finished) {
  SessionState& state = State();
  CDataStructure record;
  record.position = static_cast<int32_t>(state.downloadList.size());
  record.destination = File(name);
  record.destinationAsWritten = name;
  record.description = name;
  state.downloadList.push_back(record);
  state.finishedMarks.push_back(finished ? 1 : 0);
  state.statusWindows.push_back(0);
  state.fileProgressWindows.push_back(0);
  return state.downloadList.back();
}

void CompletionTest::SetMain(const std::string& progId, const std::string& destination,
                             const LaunchPairs& parameters) {
  SessionState& state = State();
  state.mainProgId = progId;
  state.mainDestination = destination;
  state.launchParameters = {{"TKtesttypes", Folder()}};
  state.launchParameterCount = 1;
  state.launchParameters.insert(state.launchParameters.end(), parameters.begin(), parameters.end());
}

std::string CompletionTest::RunToEnd() {
  platform::SetWindowTimer(loader_->ControlWindow(), kCompletionTimerId, kCompletionTimerMs);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (end_.ends.empty() && std::chrono::steady_clock::now() < deadline) PumpFor(10);
  return end_.ends.empty() ? std::string() : end_.ends.front();
}

void CompletionTest::PumpFor(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  } while (std::chrono::steady_clock::now() < until);
}
