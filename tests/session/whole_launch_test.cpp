// The client of a whole deployment: started from the unpacked cabinet with
// the command line the descriptor and the page make, with or without the
// control's window and the server's cookies, and ended when it ignores
// WM_CLOSE as the control goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SystemFacts.h"
#include "platform/WindowSystem.h"
#include "system_probes.h"
#include "test_files.h"
#include "whole_deployment_fixture.h"

namespace {

using Strings = std::vector<std::string>;

struct Argument {
  std::string name, value;
  bool quoted = true;
};

class WholeLaunch : public WholeDeploymentTest {
 protected:
  ~WholeLaunch() override {
    if (!cookieFile_.empty()) platform::DeletePath(cookieFile_);
  }

  // The client's record holds exactly these arguments after the program.
  void ExpectArguments(const Deployment& run, const std::vector<Argument>& arguments) {
#ifdef _WIN32
    std::string line;
    for (const Argument& argument : arguments)
      line += " " + argument.name + "=" + (argument.quoted ? "\"" + argument.value + "\"" : argument.value) + " ";
    line = line.substr(1, line.size() - 2);
    const Strings record = ClientRecord(run, 3);
    ASSERT_GE(record.size(), 3u);
    EXPECT_EQ("\"" + FileOf(run, VARNIK_CLIENT_MEMBER) + "\" " + line, record[2]);
#else
    // The program's runtime split the line as a Windows runtime does: the
    // quotes are gone.
    Strings expected;
    for (const Argument& argument : arguments) {
      std::string value = argument.value;
      value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
      expected.push_back(argument.name + "=" + value);
    }
    const Strings record = ClientRecord(run, 2 + arguments.size());
    ASSERT_GE(record.size(), 2u);
    EXPECT_EQ(expected, Strings(record.begin() + 2, record.end()));
#endif
  }

  std::vector<Argument> Descriptors(const Deployment& run, const std::string& additional) const {
    return {{"TKtesttypes", run.folder}, {"Home", Page().tkRoot + "/site"}, {"Server", Page().tkRoot},
            {"AdditionalParams", additional}};
  }

  std::string cookieFile_;
};

TEST_F(WholeLaunch, TheClientGetsTheDescriptorsParametersTheWindowAndTheCookies) {
  Page page;
  page.additionalParams = "trace='on'";
  const Deployment run = Deploy(page);
  ASSERT_EQ("client-started", run.end);
  cookieFile_ = Loader().Network().Configuration().CookieFilePath();
  ASSERT_FALSE(cookieFile_.empty()) << "the server set cookies";
  EXPECT_NE(std::string::npos, ReadTestFile(cookieFile_).find("VarnikSession=s3ss10n-1"));

  std::vector<Argument> expected = Descriptors(run, "");
  expected.pop_back();
  expected.push_back({"PARENT_WINDOW_HANDLE", std::to_string(static_cast<long long>(Loader().ControlWindow()))});
  expected.push_back({"PARENT_PROCESS_ID", std::to_string(platform::CurrentProcessId())});
  expected.push_back({"sdr", cookieFile_, false});
  // Single quotes of the page's parameters reach the client as double ones.
  expected.push_back({"AdditionalParams", "trace=\"on\"", true});
  ExpectArguments(run, expected);
}

TEST_F(WholeLaunch, NotEmbeddedTheClientHearsNothingOfTheControlsWindow) {
  Page page;
  page.additionalParams = "embedclient=false";
  const Deployment run = Deploy(page);
  ASSERT_EQ("client-started", run.end);
  cookieFile_ = Loader().Network().Configuration().CookieFilePath();
  std::vector<Argument> expected = Descriptors(run, "embedclient=false");
  expected.insert(expected.end() - 1, {"sdr", cookieFile_, false});
  ExpectArguments(run, expected);
}

TEST_F(WholeLaunch, AClientThatIgnoresCloseIsEndedWhenTheControlGoes) {
  Publish("stubborn");
#ifndef _WIN32
  // A native client cannot register a window: one of this process stands
  // in for it, and the client lingers.
  Strings closes;
  platform::ControlWindow standIn([&](uint32_t message, uintptr_t, intptr_t, intptr_t& result) {
    if (message == platform::kWmClose) closes.push_back("WM_CLOSE");
    result = 0;
    return message == platform::kWmClose;
  });
  ASSERT_TRUE(standIn.Create(hostWindow_));
#endif
  beforeStart = [&](CLoader& loader) {
    loader.State().clientCloseTimeoutMs = 300;
#ifndef _WIN32
    platform::PostWindowMessage(loader.ControlWindow(), WM_LOADER_REGISTER_CLIENT_WINDOW, standIn.Handle(), 0);
#endif
  };
  const Deployment run = Deploy();
  ASSERT_EQ("client-started", run.end);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Loader().State().clientWindow && std::chrono::steady_clock::now() < deadline) PumpFor(20);
  ASSERT_NE(0u, Loader().State().clientWindow) << "the client registered its window";
  const Strings record = ClientRecord(run, 1);
  ASSERT_FALSE(record.empty());
  const uint32_t client = static_cast<uint32_t>(std::stoul(record[0]));
  ASSERT_TRUE(ProcessRuns(client));

  Loader().DestroyControlWindow();
  EXPECT_FALSE(ProcessRuns(client));
  EXPECT_EQ((Strings{"WARNING The client did not close within 300 ms of WM_CLOSE; it is ended."}),
            LinesOf("CLoader::OnDestroy"));
#ifdef _WIN32
  const Strings after = ClientRecord(run, 5);
  ASSERT_EQ(5u, after.size());
  EXPECT_EQ("WM_CLOSE", after[4]);
#else
  EXPECT_EQ(Strings{"WM_CLOSE"}, closes);
#endif
}

}  // namespace
