// Faults in the middle of a deployment over an earlier one: the server's
// location stops, a component cabinet arrives cut short, the disk is full,
// the destination cannot be written, the process is killed. The earlier
// deployment is never lost, the report names the file, and the next run
// repairs what is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include "deployment/CIniFile.h"
#include "platform/FileSystem.h"
#include "platform/FileTimes.h"
#include "platform/ProcessLauncher.h"
#include "system_probes.h"
#include "test_files.h"
#include "whole_deployment_fixture.h"

namespace {

#ifdef _WIN32
bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#endif

using Strings = std::vector<std::string>;

class WholeFault : public WholeDeploymentTest {
 protected:
  ~WholeFault() override {
    // What a test took away from the site comes back.
    if (!siteHidden_.empty()) std::rename((siteHidden_).c_str(), SiteFolder().c_str());
    if (!cabinet_.empty()) WriteTestFile(SiteFile("client.cab"), cabinet_);
  }

  static std::string SiteFolder() { return ServedFile("wnbin/whole/site"); }

  // The first deployment, and what it left: every file's bytes.
  Deployment Baseline() {
    const Deployment run = Deploy();
    EXPECT_EQ("client-started", run.end);
    for (const char* name : {"alpha.dll", "beta.dll", "client.cab", VARNIK_CLIENT_MEMBER,
                             "merged-VuvoViziz_setup.ini", "DSummary.ini"})
      baseline_.emplace_back(name, ReadTestFile(FileOf(run, name)));
    deployments_ = ReadTestFile(DeploymentRoot() + "\\Deployments.ini");
    return run;
  }
  // Nothing of the first deployment is lost: its files, its record and
  // the server's entry are as they were (except those named as replaced).
  void ExpectBaselineKept(const Deployment& run, const Strings& replaced = {}) {
    for (const auto& [name, bytes] : baseline_) {
      if (std::find(replaced.begin(), replaced.end(), name) != replaced.end()) {
        EXPECT_TRUE(Exists(FileOf(run, name))) << name;
        continue;
      }
      EXPECT_FALSE(bytes.empty()) << name;
      EXPECT_TRUE(bytes == ReadTestFile(FileOf(run, name))) << name << " changed";
    }
    EXPECT_EQ(deployments_, ReadTestFile(DeploymentRoot() + "\\Deployments.ini"));
  }
  // A run that repairs: it ends with the client started and the flavour and
  // edition recorded.
  void ExpectRepaired(const Page& page, const std::string& urlOfBeta) {
    const Deployment run = Deploy(page);
    EXPECT_EQ("client-started", run.end) << run.shown;
    CIniFile merged;
    ASSERT_TRUE(merged.Load(FileOf(run, "merged-VuvoViziz_setup.ini")));
    EXPECT_EQ(page.flavor, merged.GetValue("Common Data", "LastFlavor"));
    EXPECT_EQ(urlOfBeta, merged.GetValue("File_Beta", "URLName"));
    for (const char* name : {"alpha.dll", "beta.dll", VARNIK_CLIENT_MEMBER})
      EXPECT_TRUE(Exists(FileOf(run, name))) << name;
  }
  static void ExpectFailureNames(const Deployment& run, const std::string& file) {
    EXPECT_EQ(0u, run.end.rfind("failure", 0)) << run.end;
    EXPECT_NE(std::string::npos, run.shown.find(file)) << run.shown;
  }

  std::vector<std::pair<std::string, std::string>> baseline_;
  std::string deployments_;
  std::string siteHidden_;
  std::string cabinet_;
};

TEST_F(WholeFault, TheServersLocationStopsBetweenTwoComponents) {
  Baseline();
  Publish("changed");
  Page full;
  full.flavor = "Full";
  // beta2.dll comes first; before gamma.dll the site is gone.
  onEvent = [this](const std::string& event) {
    if (event.rfind("OnDownloadProgress(2,2,", 0) != 0 || !siteHidden_.empty()) return;
    siteHidden_ = SiteFolder() + ".stopped";
    ASSERT_EQ(0, std::rename(SiteFolder().c_str(), siteHidden_.c_str()));
  };
  const Deployment run = Deploy(full);
  onEvent = nullptr;
  ExpectFailureNames(run, "gamma.dll");
  EXPECT_FALSE(Exists(FileOf(run, "gamma.dll")));
  // beta was replaced by its new edition; all else is as it was.
  ExpectBaselineKept(run, {"beta.dll"});

  ASSERT_EQ(0, std::rename(siteHidden_.c_str(), SiteFolder().c_str()));
  siteHidden_.clear();
  ExpectRepaired(full, "%URL%/beta2.dll");
}

TEST_F(WholeFault, ATruncatedClientCabinetLeavesTheOldClient) {
  Baseline();
  // The client's section changes, and its cabinet arrives cut short.
  Publish("stubborn");
  cabinet_ = ReadTestFile(SiteFile("client.cab"));
  ASSERT_TRUE(WriteTestFile(SiteFile("client.cab"), cabinet_.substr(0, cabinet_.size() / 2)));
  const Deployment run = Deploy();
  ExpectFailureNames(run, "client.cab");
  ExpectBaselineKept(run);

  ASSERT_TRUE(WriteTestFile(SiteFile("client.cab"), cabinet_));
  cabinet_.clear();
  Publish("base");
  ExpectRepaired(Page(), "%URL%/beta.dll");
}

// A folder's read-only mark does not stop Windows from writing into it; a
// file's does stop its replacement, on both ports.
TEST_F(WholeFault, AReadOnlyDestinationIsReportedAndKept) {
#ifdef _WIN32
  // Windows' MoveFileEx refuses to replace a read-only file; Wine's does it.
  if (RunningUnderWine()) GTEST_SKIP() << "Wine replaces a file marked read-only";
#endif
  const Deployment first = Baseline();
  uint32_t notApplied = 0;
  ASSERT_TRUE(platform::SetPathAttributes(FileOf(first, "client.cab"), platform::kFileAttributeReadOnly, notApplied));
  Publish("stubborn");
  const Deployment run = Deploy();
  ExpectFailureNames(run, "client.cab");
  ExpectBaselineKept(run);
  ASSERT_TRUE(platform::SetPathAttributes(FileOf(first, "client.cab"), 0, notApplied));
  Publish("base");
  ExpectRepaired(Page(), "%URL%/beta.dll");
}

// The client a child started has ended, so its folder can be removed.
void WaitForItsClient(const std::string& record) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string text;
  while ((text = ReadTestFile(record)).find('\n') == std::string::npos &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const uint32_t client = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
  while (client && ProcessRuns(client) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// The command-line host deploys the page in a process of its own.
std::string ChildCommandLine(const Page& page) {
  const std::string loader = FromBuildMachine(VARNIK_LOADER);
  return "\"" + loader + "\" deploy -q --param TkRootURL=" + page.tkRoot + " --param SetupFile=" +
         page.setupFile + " --param DownloadContentFlavor=" + page.flavor +
         " --param IsolatedDeployment=true";
}

TEST_F(WholeFault, AProcessKilledWhilePlacingIsRepairedByTheNextRun) {
  Baseline();
  Publish("changed");
  Page full;
  full.flavor = "Full";
  // beta2.dll, then gamma.dll: the process is killed once the first is
  // placed and recorded.
  platform::StartedProcess child;
  const std::string commandLine = ChildCommandLine(full);
  ASSERT_TRUE(child.Start(FromBuildMachine(VARNIK_LOADER), commandLine, machine_.ScratchFolder()));
  const std::string record = DeploymentRoot() + "\\127\\Downloaded.txt";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (ReadTestFile(record).find("beta2.dll") == std::string::npos &&
         std::chrono::steady_clock::now() < deadline) {
    uint32_t code = 0;
    ASSERT_TRUE(child.ReadExitCode(code));
    if (code != platform::kStillActive) {
      // The two transfers took less time than one look at the record (a
      // busy machine under Wine): there was nothing left to kill.
      WaitForItsClient(DeploymentRoot() + "\\127\\client-record.txt");
      GTEST_SKIP() << "the child finished (" << code << ") before it could be killed";
    }
  }
  ASSERT_TRUE(child.Terminate(9));
  ASSERT_TRUE(child.WaitForExit(10000));
  uint32_t code = 0;
  ASSERT_TRUE(child.ReadExitCode(code));
  EXPECT_EQ(9u, code);
  Deployment killed;
  killed.folder = DeploymentRoot() + "\\127";
  ExpectBaselineKept(killed, {"beta.dll"});
  ExpectRepaired(full, "%URL%/beta2.dll");
  EXPECT_TRUE(Exists(killed.folder + "\\gamma.dll"));
}

#ifndef _WIN32
// The disk fills up: the child may write no file larger than 60 KiB, so the
// new edition of beta (80 KB) cannot be written.
TEST_F(WholeFault, AFullDiskIsReportedAndTheNextRunRepairs) {
  Baseline();
  Publish("changed");
  const std::string script = "trap '' XFSZ; ulimit -f 60; exec " + ChildCommandLine(Page()) + " >'" +
                             platform::ToNativePath(machine_.ScratchFolder()) + "/child.txt' 2>&1";
  const int status = std::system(script.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(1, WEXITSTATUS(status)) << "a failure is shown";
  const std::string report = ReadTestFile(machine_.ScratchFolder() + "\\child.txt");
  EXPECT_NE(std::string::npos, report.find("beta2.dll")) << report;
  Deployment full;
  full.folder = DeploymentRoot() + "\\127";
  ExpectBaselineKept(full);
  ExpectRepaired(Page(), "%URL%/beta2.dll");
}
#endif

}  // namespace
