// Launch from a recorded deployment: the client program unpacked from its
// signed cabinet and started with its command line, a client that cannot
// start, the missing-prerequisite page, and the close of a running client
// when the control window goes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "completion_fixture.h"
#include "integrity/CSignedCode.h"
#include "message_box_watch.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/SystemFacts.h"
#include "session/FailureReport.h"
#include "session/LaunchCommandLine.h"
#include "session/ResourceStrings.h"
#include "signing_fixtures.h"
#include "test_files.h"
#include "system_probes.h"

namespace {

constexpr char kProcessClient[] = "vuvuzaro.ui.application";  // any case starts a process

class LaunchTest : public CompletionTest {
 protected:
  // The signed cabinet holding the client program, placed in the deployment
  // folder as the transfer leaves it and unpacked by completion.
  void DeployClient(const LaunchPairs& parameters) {
    Prepare();
    platform::DeletePath(File("client-record.txt"));
    const char* cabinet = std::getenv("VARNIK_CLIENT_CABINET");
    ASSERT_TRUE(cabinet && *cabinet) << "run the tests through ctest";
    ASSERT_TRUE(WriteTestFile(File("client.cab"), ReadTestFile(FromBuildMachine(cabinet))));
    {
      TrustedTestRoot trust;
      ASSERT_NE(0, CSignedCode(false).CheckObjectSignature(File("client.cab"), false))
          << "the client travels signed";
    }
    AddRecord("client.cab").extract = true;
    SetMain(kProcessClient, VARNIK_CLIENT_MEMBER, parameters);
  }

  // The client's record once it has written it: its process id, then its
  // command line (Windows) or arguments one per line (posix).
  std::vector<std::string> ClientRecord(size_t atLeast = 2) {
    std::vector<std::string> lines;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      lines.clear();
      std::istringstream text(ReadTestFile(File("client-record.txt")));
      for (std::string line; std::getline(text, line);) lines.push_back(line);
      if (lines.size() >= atLeast) break;
      PumpFor(20);
    }
    return lines;
  }

  std::string Application() const { return Folder() + "\\" + VARNIK_CLIENT_MEMBER; }

  // The client's working folder, as it wrote it, is the deployment folder.
  void ExpectStartedInTheDeploymentFolder(const std::vector<std::string>& record) {
    ASSERT_GE(record.size(), 2u);
    EXPECT_EQ(std::filesystem::path(platform::ToNativePath(Folder())),
              std::filesystem::path(record[1]));
  }
};

TEST_F(LaunchTest, TheClientRunsFromTheDeploymentFolderWithItsCommandLine) {
  DeployClient({{"Server", "http://srv/zel"},
                {"Empty", ""},
                {"AdditionalParams", "debug=1&AuthPassword=cGFzcw=="},
                {"DomainPassword", "pw"}});
  State().embedClient = true;
  network_.cookies = "a=1";
  network_.cookieFile = "C:\\Temp\\f00d.sdr";
  ASSERT_EQ("client-started", RunToEnd());
  EXPECT_EQ(std::vector<std::string>{"OnReady()"}, journal_);

  const std::string handle = std::to_string(static_cast<long long>(loader_->ControlWindow()));
  const std::string process = std::to_string(platform::CurrentProcessId());
#ifdef _WIN32
  const std::vector<std::string> record = ClientRecord(3);
  ASSERT_EQ(3u, record.size());
  EXPECT_EQ("\"" + Application() + "\" TKtesttypes=\"" + Folder() +
                "\"  Server=\"http://srv/zel\"  DomainPassword=\"pw\"  PARENT_WINDOW_HANDLE=\"" +
                handle + "\"  PARENT_PROCESS_ID=\"" + process +
                "\"  sdr=C:\\Temp\\f00d.sdr  AdditionalParams=\"debug=1&AuthPassword=cGFzcw==\"",
            record[2]);
#else
  const std::vector<std::string> record = ClientRecord(9);
  ASSERT_FALSE(record.empty());
  // The program's runtime split the line the way a Windows runtime does.
  EXPECT_EQ((std::vector<std::string>{record[0], record[1], "TKtesttypes=" + Folder(),
                                      "Server=http://srv/zel", "DomainPassword=pw",
                                      "PARENT_WINDOW_HANDLE=" + handle,
                                      "PARENT_PROCESS_ID=" + process, "sdr=C:\\Temp\\f00d.sdr",
                                      "AdditionalParams=debug=1&AuthPassword=cGFzcw=="}),
            record);
#endif
  ExpectStartedInTheDeploymentFolder(record);
  // The log shows the line without its passwords.
  EXPECT_TRUE(Logged("INFO", "CLoader::RunApplicationAsProcess",
                     Application() + " started with following params:TKtesttypes=\"" + Folder() +
                         "\"  Server=\"http://srv/zel\"  DomainPassword=\"******\"  "
                         "PARENT_WINDOW_HANDLE=\"" + handle + "\"  PARENT_PROCESS_ID=\"" +
                         process +
                         "\"  sdr=C:\\Temp\\f00d.sdr  "
                         "AdditionalParams=\"debug=1&AuthPassword=******\""));
}

TEST_F(LaunchTest, NotEmbeddedAndWithoutCookiesTheClientHearsOfNeither) {
  DeployClient({});
  State().embedClient = false;
  ASSERT_EQ("client-started", RunToEnd());
#ifdef _WIN32
  const std::vector<std::string> record = ClientRecord(3);
  ASSERT_EQ(3u, record.size());
  EXPECT_EQ("\"" + Application() + "\" TKtesttypes=\"" + Folder() + "\"  AdditionalParams=\"\"",
            record[2]);
#else
  const std::vector<std::string> record = ClientRecord(4);
  ASSERT_FALSE(record.empty());
  EXPECT_EQ((std::vector<std::string>{record[0], record[1], "TKtesttypes=" + Folder(),
                                      "AdditionalParams="}),
            record);
#endif
  ExpectStartedInTheDeploymentFolder(record);
}

TEST_F(LaunchTest, AClientThatCannotStartIsReportedInABoxAndTheReport) {
  Prepare();
  SetMain(kProcessClient, "missing.exe");
  MessageBoxWatch boxes;
  EXPECT_EQ("failure:Failed to start " + File("missing.exe"), RunToEnd());
  EXPECT_EQ(std::vector<std::string>{resources::Text(resources::kErrorCaption) + "|" +
                                     resources::Text(resources::kProcessFailedToStart)},
            boxes.Seen());
  EXPECT_NE(std::string::npos, FailureReport::Instance().TakeText().find(
                                   "1 . Failed to start " + File("missing.exe") + " :\r\n(Error 2)"));
#ifndef _WIN32
  // A Windows program is no program here, signature or not.
  FailureReport::Instance().Clear();
  const std::string windowsProgram = StageFixture(machine_, "signed.exe");
  State().mainDestination = windowsProgram;
  EXPECT_EQ(platform::HResultFromWin32(platform::kErrorBadExeFormat),
            loader_->RunApplicationAsProcess());
  EXPECT_NE(std::string::npos, FailureReport::Instance().TakeText().find("(Error 193)"));
#endif
}

TEST_F(LaunchTest, AMissingFrameworkShowsItsPageWithOrWithoutTheLink) {
  Prepare();
  SetMain(kProcessClient, "client");
  State().dotNetVersion = "v99";
  State().dotNetDescription = "Framework 99";
  State().customPreReqPageUrl = "no_url";
  const std::string text = "Framework 99 is not installed.\r\nApplication will not be able to "
                           "run.\r\nContact your system administrator.\r\n";
  EXPECT_EQ("failure", RunToEnd());
  EXPECT_EQ((std::vector<std::string>{"OnReady()",
                                      "OnError(File='Prerequisite Missing', Description: '" +
                                          text + "')",
                                      "OnFailure(" + text + ")"}),
            journal_);
  EXPECT_FALSE(Logged("INFO", "CLoader::RunApplicationAsProcess", "Entered RunApplicationAsProcess"));

  // With a page: the text names it and the page is opened. Windows opens a
  // program given as the page, which shows that it was asked to.
  journal_.clear();
#ifdef _WIN32
  ASSERT_TRUE(WriteTestFile(File("page.exe"),
                            ReadTestFile(FromBuildMachine(VARNIK_TEST_CLIENT))));
  State().customPreReqPageUrl = File("page.exe");
#else
  State().customPreReqPageUrl = "https://example.com/framework";
#endif
  loader_->ShowMissingPrerequisitePage("Framework 99");
  const std::string withLink =
      text + "\r\nThe download site for the missing prerequisite is opened in a new browser "
             "window. \r\nIf you do not see the new browser window, manually open the following "
             "URL in a Web browser:\r\n" +
      State().customPreReqPageUrl + "\r\n";
  ASSERT_EQ(2u, journal_.size());
  EXPECT_EQ("OnFailure(" + withLink + ")", journal_[1]);
#ifdef _WIN32
  EXPECT_FALSE(ClientRecord(2).empty()) << "the page was opened";
#else
  EXPECT_TRUE(Logged("WARNING", "CLoader::ShowMissingPrerequisitePage",
                     "The page could not be opened (error 50): https://example.com/framework"));
#endif
}

TEST_F(LaunchTest, AClientThatIgnoresCloseIsEndedAndOneThatClosesIsNot) {
  for (const bool ignores : {true, false}) {
#ifndef _WIN32
    if (!ignores) break;  // only a Windows client can register a window of its own
#endif
    SCOPED_TRACE(ignores ? "ignores WM_CLOSE" : "closes");
    DeployClient({{"Mode", ignores ? "ignore-close" : "close"}});
    State().embedClient = true;
    // A client that closes is given time enough; one that does not, little.
    State().clientCloseTimeoutMs = ignores ? 300 : 15000;
#ifndef _WIN32
    State().launchParameters.back().second = "linger";
    // The client's window: one of this process stands in for it.
    std::vector<uint32_t> closes;
    platform::ControlWindow clientWindow([&](uint32_t message, uintptr_t, intptr_t, intptr_t& result) {
      if (message == platform::kWmClose) closes.push_back(message);
      result = 0;
      return message == platform::kWmClose;
    });
    ASSERT_TRUE(clientWindow.Create(hostWindow_));
    platform::PostWindowMessage(loader_->ControlWindow(), WM_LOADER_REGISTER_CLIENT_WINDOW,
                                clientWindow.Handle(), 0);
#endif
    ASSERT_EQ("client-started", RunToEnd());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!State().clientWindow && std::chrono::steady_clock::now() < deadline) PumpFor(20);
    ASSERT_NE(0u, State().clientWindow) << "the client registered its window";
    const uint32_t client = static_cast<uint32_t>(std::stoul(ClientRecord()[0]));
    ASSERT_TRUE(ProcessRuns(client));

    DebugOutputCapture round;
    loader_->DestroyControlWindow();
    EXPECT_FALSE(ProcessRuns(client));
    EXPECT_EQ(ignores, round.Mentions("did not close within"));
    EXPECT_TRUE(round.Contains("CLoader::OnDestroy completed."));
#ifdef _WIN32
    const std::vector<std::string> record = ClientRecord(5);
    ASSERT_EQ(5u, record.size());
    EXPECT_EQ("WM_CLOSE", record[4]);
#else
    EXPECT_EQ(1u, closes.size());
#endif
    // The next round starts a new session.
    end_.ends.clear();
    loader_ = std::make_unique<PreparedLoader>(host_);
    loader_->Events().Advise(sink_);
    loader_->SetEndSink(&end_);
  }
}

}  // namespace
