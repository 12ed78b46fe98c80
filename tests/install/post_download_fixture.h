// A deployment folder of its own for each post-download test, a host that
// records what the user would be shown, and copies of the stand-in program
// (install_helper) under the names the actions start.
#pragma once

#include <string>
#include <vector>

#include "install/PostDownloadActions.h"
#include "install/PostDownloadHost.h"
#include "test_machine.h"

class RecordingHost : public PostDownloadHostValues {
 public:
  bool window = false;
  // The control's size and line height; a character is 6 pixels wide.
  NotificationMetrics metrics{400, 200, 18, 0};
  std::vector<std::string> notifications;
  std::vector<NotificationPlace> places;

  bool HasComponentsTextWindow() const override { return window; }
  NotificationMetrics MeasureNotification(const std::string& line) override;
  void ShowNotification(const std::string& line, const NotificationPlace& place) override;
};

class PostDownloadTest : public MachineTest {
 protected:
  PostDownloadTest();

  // A record as the driver and the transfer leave it: destination expanded
  // into the deployment folder, the name as written kept.
  CDataStructure Component(const std::string& shortName) const;
  // install_helper copied to path (a Windows path); true when it worked.
  bool PlaceHelper(const std::string& path) const;
  // The runs the helper at path recorded, one line of bracketed arguments
  // each; withWindowState keeps the " hidden" or " shown" Windows adds.
  std::vector<std::string> Runs(const std::string& path, bool withWindowState = false) const;
  void Run(const std::vector<CDataStructure>& records);
  std::vector<std::string> FailureFiles() const;

  RecordingHost host_;
  std::string deployment_;
};
