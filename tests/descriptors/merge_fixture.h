// A control's descriptor merge on a machine of the test's own. Two servers:
// MergeTest serves signed cabinets (made by make_descriptor_fixtures.py with
// the integrity test PKI) from a folder tree, for what a real server cannot
// serve as it is; PlatformMergeTest fetches through the control's own
// transfer (CLoader::DownloadFile) from the sample platform's server root
// wnbin/deploy. Either way the test CA is trusted while the test runs.
#pragma once

#include <memory>
#include <string>

#include "debug_output_capture.h"
#include "deployment/CIniFile.h"
#include "descriptors/DescriptorMerge.h"
#include "folder_downloader.h"
#include "infra/FailureList.h"
#include "sample_platform.h"
#include "session/CLoader.h"
#include "signing_fixtures.h"
#include "test_machine.h"

class MergeTestBase : public MachineTest {
 protected:
  // rootUrl: the server root (TkRootURL) the descriptors lie under.
  explicit MergeTestBase(const std::string& rootUrl);
  // The merge, over the server's downloader (made after this base).
  void MergeThrough(FileDownloader& downloader);

  // The SetupFile, SetupExtFile and PluginExtFiles properties for files
  // served at setup/<name> (the list at Extensions/<name>).
  void UseMain(const std::string& name);
  void UseExtension(const std::string& name);
  void UsePluginList(const std::string& name);

  std::string ServerUrl(const std::string& serverPath) const { return rootUrl_ + "/" + serverPath; }
  std::string Deployed(const std::string& name) const { return deploy_ + "\\" + name; }
  // The section names of the merged descriptor, in its order.
  std::string SectionNames() const;
  bool Logged(const std::string& level, const std::string& location,
              const std::string& message) const;

  const std::string rootUrl_;
  const std::string deploy_;
  DescriptorSourcesValues sources_;
  CIniFile merged_;
  FailureList failures_;
  DebugOutputCapture debug_;
  std::unique_ptr<DescriptorMerge> merge_;
};

class MergeTest : public MergeTestBase {
 protected:
  static constexpr const char* kRootUrl = "https://srv.example.com/tk";

  MergeTest();

  // A cabinet of the descriptor fixtures served at the path below the
  // server root ("setup/x.cab", "Extensions/sub/y.cab").
  void Serve(const std::string& fixture, const std::string& serverPath);
  void ServeText(const std::string& serverPath, const std::string& bytes);
  std::string DescriptorFixture(const std::string& name) const;

  TrustedTestRoot trusted_;
  std::string server_;
  FolderDownloader downloader_;
};

class PlatformMergeTest : public MergeTestBase {
 protected:
  PlatformMergeTest();

  TrustedRoot trust_;
  ServedRequestLog served_;
  // The transfer is the control's: a session without a window, whose
  // download dispatch is the merge's downloader.
  NoContainer host_;
  CLoader loader_{host_};
};
