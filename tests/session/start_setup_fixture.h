// A session that runs its real start-up against the sample platform's
// server root wnbin/deploy, with the platform's test CA trusted, and whose
// download driver only records that it was posted.
#pragma once

#include <string>
#include <vector>

#include "sample_platform.h"
#include "session_fixture.h"
#include "trusted_root.h"

class StartSetupLoader : public CLoader {
 public:
  explicit StartSetupLoader(LoaderHost& host) : CLoader(host) {}

  intptr_t OnStartDownload() override {
    downloadPosted = true;
    return 0;
  }
  platform::HResult IsIeInProtectedMode(bool& protectedMode) override;

  bool downloadPosted = false;
  // Windows: the browser's answer when the test wants protected mode (Wine
  // has no protected mode to switch on).
  bool answerProtected = false;
};

class StartSetupTest : public SessionTest {
 protected:
  StartSetupTest();
  ~StartSetupTest() override;

  StartSetupLoader& Loader() { return *session_; }
  SessionState& State() { return session_->State(); }
  LoaderProperties& Properties() { return session_->Properties(); }

  // A fresh session in place of the test's first one (journal and ends
  // cleared), for tests that start up more than once.
  void NewSession();

  // The platform's server root with the descriptors ("http://.../wnbin/deploy").
  static std::string DeployRoot();
  // TkRootURL, the three descriptor properties of that root, and an
  // isolated deployment.
  void UseDeploySite(const std::string& tkRoot = DeployRoot());
  // The user's rights and the browser's protected mode: the machine's facts
  // on posix, the session's answers on Windows.
  void SetMachine(bool administrator, bool protectedMode = false);

  // Creates the control window and serves the messages until start-up has
  // posted the download driver or ended the session.
  void RunStartUp();

  // The messages start-up logged, "LEVEL message", in order.
  std::vector<std::string> StartSetupLines() const;
  // The text of the failure box, empty when none is shown.
  std::string ShownFailure() const;
  // <temp>\TK_80\Loader: the deployment folder start-up works out before
  // the merged descriptor names one.
  static std::string WorkingFolder();

  TrustedRoot trust_;
  ServedRequestLog served_;
  RecordingEnd end_;
  StartSetupLoader* session_ = nullptr;
};
