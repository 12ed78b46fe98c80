// The download driver run on the control's message loop against the sample
// platform. The test plays start-up: it sets the properties and the session
// state as start-up leaves them (the merged descriptor, the deployment
// folder, the switches) before the control window is made; the loader then
// goes straight on to WM_LOADER_START_DOWNLOAD, and the first tick of the
// completion timer ends the run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "debug_output_capture.h"
#include "sample_platform.h"
#include "session/CLoader.h"
#include "test_machine.h"
#include "trusted_root.h"

class DriverLoader : public CLoader {
 public:
  using CLoader::CLoader;
  intptr_t OnStartSetup() override;  // start-up is done: the driver follows
  intptr_t OnTimer() override;       // counted, stopped, and the session ends ready
  int timerTicks = 0;
};

// One deployment: the merged descriptor's sections (the fixture puts its
// "Common Data" in front), the flavour asked for, and whatever else
// start-up would have set, applied once the descriptor is loaded and before
// the deployment folder is worked out.
struct DriverSetup {
  DriverSetup(std::string sectionsText, std::string flavorAsked = "", bool isolatedDeployment = true,
              bool administrator = false)
      : sections(std::move(sectionsText)),
        flavor(std::move(flavorAsked)),
        isolated(isolatedDeployment),
        admin(administrator) {}
  std::string sections;
  std::string flavor;
  bool isolated = true;
  bool admin = false;
  std::function<void(CLoader&)> startUp;
};

// What a run left besides the session's state.
struct DriverRun {
  std::vector<std::string> events;  // as RecordingSink writes them
  std::optional<SessionOutcome> outcome;
  int timerTicks = 0;
  std::vector<std::string> requests;  // served during the run
  // At the first file progress report of each fetched record: the
  // components text, the overall bar's position and the record's status row.
  std::vector<std::string> rows;
};

class DriverTest : public MachineTest, public SessionEndSink {
 protected:
  DriverTest();
  ~DriverTest() override;

  // A fresh control runs the setup to its end; it is kept until the next
  // run so its state can be read.
  DriverRun Run(const DriverSetup& setup);
  CLoader& Loader() { return *loader_; }
  SessionState& State() { return loader_->State(); }

  // "%URL%/<name>" as the walk resolves it.
  std::string Url(const std::string& name) const { return root_ + "/client/" + name; }
  // The folder a "Destination" resolves to for all users or for this one.
  std::string DeploymentRoot(bool perUser) const;
  bool Logged(const std::string& message) const;

  void OnSessionEnded(SessionOutcome outcome, const std::string&) override { outcome_ = outcome; }

  const std::string root_;
  std::string destination_;  // "Common Data"/"Destination" of every descriptor
  DebugOutputCapture debug_;

 private:
  TrustedRoot trust_;
  NoContainer host_;
  platform::WindowHandle hostWindow_ = 0;
  std::unique_ptr<DriverLoader> loader_;
  std::vector<std::string> journal_, rows_;
  std::optional<SessionOutcome> outcome_;
};
