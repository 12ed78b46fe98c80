// A session whose start-up and download driver are stood in for: the test
// lays out what the driver leaves (deployment folder, merged descriptor,
// download list with finished transfers, launch data) and starts the
// completion timer the way the driver does.
#pragma once

#include <string>
#include <vector>

#include "session/LaunchCommandLine.h"
#include "session/NetworkHandOver.h"
#include "session_fixture.h"

// Start-up is the test's: the session waits for the completion timer.
class PreparedLoader : public CLoader {
 public:
  using CLoader::CLoader;
  intptr_t OnStartSetup() override { return 0; }
};

class FakeNetwork : public NetworkHandOver {
 public:
  std::string cookies, cookieFile;
  int releases = 0;
  std::string CookieData() const override { return cookies; }
  std::string CookieFilePath() const override { return cookieFile; }
  void ReleaseWebConnection() override { ++releases; }
};

class EndRecorder : public SessionEndSink {
 public:
  std::vector<std::string> ends;
  void OnSessionEnded(SessionOutcome outcome, const std::string& reason) override {
    ends.push_back(std::string(SessionOutcomeName(outcome)) + (reason.empty() ? "" : ":" + reason));
  }
};

class CompletionTest : public SessionTest {
 protected:
  CompletionTest();

  // The control, its deployment folder (made by the engine under the test's
  // scratch folder) and a "Downloaded.txt" as the transfers leave it.
  void Prepare();
  // A component placed at folder\name by the transfer.
  CDataStructure& AddRecord(const std::string& name, bool finished = true);
  // The main component, and its launch parameters after the built-in one.
  void SetMain(const std::string& progId, const std::string& destination,
               const LaunchPairs& parameters = {});
  // Starts timer 1 and dispatches the thread's messages until the session
  // ends (or 20 s pass); the first end recorded, empty when none.
  std::string RunToEnd();
  void PumpFor(int milliseconds);

  std::string Folder() const { return loader_->State().deploymentFolder; }
  std::string File(const std::string& name) const { return Folder() + "\\" + name; }
  SessionState& State() { return loader_->State(); }

  EndRecorder end_;
  FakeNetwork network_;
};
