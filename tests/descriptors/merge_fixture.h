// A control's descriptor merge on a machine of the test's own: a folder
// tree stands in for the server, the descriptor cabinets are the ones
// make_descriptor_fixtures.py signed for this run, and the test CA is a
// trusted root while the test runs.
#pragma once

#include <string>

#include "debug_output_capture.h"
#include "deployment/CIniFile.h"
#include "descriptors/DescriptorMerge.h"
#include "folder_downloader.h"
#include "infra/FailureList.h"
#include "signing_fixtures.h"
#include "test_machine.h"

class MergeTest : public MachineTest {
 protected:
  static constexpr const char* kRootUrl = "https://srv.example.com/tk";

  MergeTest();

  // A cabinet of the descriptor fixtures served at the path below the
  // server root ("setup/x.cab", "Extensions/sub/y.cab").
  void Serve(const std::string& fixture, const std::string& serverPath);
  void ServeText(const std::string& serverPath, const std::string& bytes);
  // The SetupFile, SetupExtFile and PluginExtFiles properties for files
  // served at setup/<name> (the list at Extensions/<name>).
  void UseMain(const std::string& name);
  void UseExtension(const std::string& name);
  void UsePluginList(const std::string& name);

  std::string Deployed(const std::string& name) const { return deploy_ + "\\" + name; }
  std::string DescriptorFixture(const std::string& name) const;
  // The section names of the merged descriptor, in its order.
  std::string SectionNames() const;
  bool Logged(const std::string& level, const std::string& location,
              const std::string& message) const;
  std::string ServerUrl(const std::string& serverPath) const;

  TrustedTestRoot trusted_;
  std::string server_;
  std::string deploy_;
  DescriptorSourcesValues sources_;
  CIniFile merged_;
  FolderDownloader downloader_;
  FailureList failures_;
  DebugOutputCapture debug_;
  DescriptorMerge merge_;
};
