// Whole deployments: a control made from the page's properties runs on its
// window's message loop against the sample platform's wnbin/whole, through
// start-up, the download driver, completion and launch, until the session
// ends. The platform's descriptor can be swapped for another edition
// (make_whole_content.py), as a server publishes a new client.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "sample_platform.h"
#include "session/CLoader.h"
#include "session_fixture.h"
#include "test_machine.h"
#include "trusted_root.h"

// The control's properties as a page sets them.
struct Page {
  Page();
  std::string tkRoot;     // TkRootURL, the platform's wnbin/whole
  std::string setupFile;  // its site/VuvoViziz_setup.cab
  std::string flavor = "Lite";
  std::string additionalParams;
  std::string customPreReqPageUrl = "NO_URL";  // no browser is opened unless a test asks
  bool isolated = true;
  bool installationOnly = false;
  bool useServerVersion = false;
  bool msi = false;
  bool administrator = false;
};

// What one session did.
struct Deployment {
  std::vector<std::string> events;    // as RecordingSink writes them
  std::string end;                    // "outcome" or "outcome:reason"
  std::vector<std::string> requests;  // served by nginx during the run
  std::string shown;                  // the failure text in the control's window
  std::string folder;                 // the deployment folder
  // The requests below the site (component and descriptor names), in order.
  std::vector<std::string> SiteRequests() const;
};

class WholeDeploymentTest : public MachineTest, public SessionEndSink {
 protected:
  WholeDeploymentTest();
  ~WholeDeploymentTest() override;

  // A fresh control (the previous one goes first, as a page that is left)
  // runs the page to the end of its session.
  Deployment Deploy(const Page& page = Page());
  // Called once the control window exists, before start-up runs.
  std::function<void(CLoader&)> beforeStart;
  // Called for each event while the session runs.
  std::function<void(const std::string&)> onEvent;

  // Puts an edition of the descriptor (make_whole_content.py) on the site.
  static void Publish(const std::string& edition);
  // The served file of the site, as this binary opens it.
  static std::string SiteFile(const std::string& name);

  CLoader& Loader() { return *loader_; }
  // The root the descriptor's "Destination" names for this user.
  std::string DeploymentRoot() const;
  // A file of the last deployment's folder.
  std::string FileOf(const Deployment& run, const std::string& name) const {
    return run.folder + "\\" + name;
  }
  static bool Exists(const std::string& path);
  // The client's record (process id, working folder, command line) once it
  // has written at least `lines` lines; empty after 20 s.
  std::vector<std::string> ClientRecord(const Deployment& run, size_t lines);
  // The messages logged at a location, "LEVEL message", in order.
  std::vector<std::string> LinesOf(const std::string& location) const;
  // Serves the thread's messages for a while.
  static void PumpFor(int milliseconds);

  void OnSessionEnded(SessionOutcome outcome, const std::string& reason) override;

  // The session's thread is a browser's user-interface thread.
  platform::ThreadApartment apartment_;
  DebugOutputCapture debug_;
  platform::WindowHandle hostWindow_ = 0;

 private:
  void Clean() const;

  TrustedRoot trust_;
  NoContainer host_;
  std::unique_ptr<CLoader> loader_;
  std::vector<std::string> journal_;
  std::string end_;
};
