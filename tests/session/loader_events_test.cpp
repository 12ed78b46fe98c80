#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "scratch_registry_key.h"
#include "session_fixture.h"

namespace {

class LoaderEventsTest : public SessionTest {};

// Disconnects another sink while it is being called.
class DisconnectingSink : public RecordingSink {
 public:
  DisconnectingSink(std::vector<std::string>& journal, LoaderEvents& events)
      : RecordingSink(journal, "leaver"), events_(events) {}
  uint32_t victim = 0;
  platform::HResult OnReady() override {
    events_.Unadvise(victim);
    return RecordingSink::OnReady();
  }

 private:
  LoaderEvents& events_;
};

class ThrowingSink : public RecordingSink {
 public:
  using RecordingSink::RecordingSink;
  platform::HResult OnError(const std::string&) override { throw std::runtime_error("sink broke"); }
};

TEST_F(LoaderEventsTest, EveryEventReachesEverySinkInOrderWithItsArguments) {
  LoaderEvents& events = loader_->Events();
  auto second = std::make_shared<RecordingSink>(journal_, "second");
  second->result = platform::kEFail;  // a failing sink stops nobody
  events.Advise(second);
  events.Fire_OnDownloadStart();
  events.Fire_OnDownloadProgress(1, 3, "Client \xC3\xA9 core");
  events.Fire_OnFileDownloadProgress(42);
  events.Fire_OnError("File='a', Description: 'b'");
  events.Fire_OnFailure("report");
  events.Fire_OnReady();
  events.Fire_OnUIActive();
  EXPECT_EQ(platform::kEFail, events.Fire_OnSlo());  // the last sink's answer
  EXPECT_EQ((std::vector<std::string>{
                "OnDownloadStart()", "second:OnDownloadStart()",
                "OnDownloadProgress(1,3,Client \xC3\xA9 core)",
                "second:OnDownloadProgress(1,3,Client \xC3\xA9 core)", "OnFileDownloadProgress(42)",
                "second:OnFileDownloadProgress(42)", "OnError(File='a', Description: 'b')",
                "second:OnError(File='a', Description: 'b')", "OnFailure(report)",
                "second:OnFailure(report)", "OnReady()", "second:OnReady()", "OnUIActive()",
                "second:OnUIActive()", "OnSlo()", "second:OnSlo()"}),
            journal_);
  const std::string proxy = "CProxyILoaderEvents<class CLoader>::Fire_";
  EXPECT_TRUE(Logged("INFO", proxy + "OnDownloadStart", "Firing OnDownloadStart event..."));
  EXPECT_TRUE(Logged("INFO", proxy + "OnReady", "Firing OnReady event..."));
  EXPECT_TRUE(Logged("INFO", proxy + "OnUIActive", "Firing OnUIActive event..."));
  EXPECT_TRUE(
      Logged("WARNING", proxy + "OnError", "Fire_OnError(message='File='a', Description: 'b'')"));
  EXPECT_TRUE(Logged("WARNING", proxy + "OnFailure", "Fire_OnFailure(message=report)"));
  EXPECT_FALSE(debug_.Mentions(proxy + "OnDownloadProgress"));
  EXPECT_FALSE(debug_.Mentions(proxy + "OnSlo"));
}

TEST_F(LoaderEventsTest, ADisconnectedSlotIsSkippedAndAThrowingSinkStopsNobody) {
  LoaderEvents& events = loader_->Events();
  auto leaver = std::make_shared<DisconnectingSink>(journal_, events);
  auto thrower = std::make_shared<ThrowingSink>(journal_, "thrower");
  auto last = std::make_shared<RecordingSink>(journal_, "last");
  events.Advise(thrower);
  leaver->victim = events.Advise(last);
  const uint32_t leaverCookie = events.Advise(leaver);

  events.Fire_OnError("boom");
  EXPECT_EQ(
      (std::vector<std::string>{"OnError(boom)", "last:OnError(boom)", "leaver:OnError(boom)"}),
      journal_);
  EXPECT_TRUE(Logged("WARNING", "CProxyILoaderEvents<class CLoader>::Fire_OnError",
                     "Event sink 2 failed: sink broke"));

  journal_.clear();
  events.Fire_OnReady();  // the leaver, called after "last", disconnects it
  events.Fire_OnReady();
  EXPECT_EQ((std::vector<std::string>{"OnReady()", "thrower:OnReady()", "last:OnReady()",
                                      "leaver:OnReady()", "OnReady()", "thrower:OnReady()",
                                      "leaver:OnReady()"}),
            journal_);
  EXPECT_FALSE(events.Unadvise(leaver->victim));  // already gone
  EXPECT_TRUE(events.Unadvise(leaverCookie));
  EXPECT_FALSE(events.Unadvise(0));
  EXPECT_FALSE(events.Unadvise(99));
  // The first free slot is reused.
  EXPECT_EQ(leaver->victim, events.Advise(std::make_shared<RecordingSink>(journal_, "new")));
}

TEST_F(LoaderEventsTest, WithoutSinksEveryEventSucceedsAndOnlyLogs) {
  LoaderEvents events;
  EXPECT_EQ(platform::kSOk, events.Fire_OnSlo());
  EXPECT_EQ(platform::kSOk, events.Fire_OnError("x"));
  EXPECT_EQ(platform::kSOk, events.Fire_OnReady());
  EXPECT_TRUE(Logged("WARNING", "CProxyILoaderEvents<class CLoader>::Fire_OnError",
                     "Fire_OnError(message='x')"));
}

// Records whether the log file was already closed when it was called.
class ClosedFileWitness : public RecordingSink {
 public:
  ClosedFileWitness(std::vector<std::string>& journal, DebugOutputCapture& debug)
      : RecordingSink(journal), debug_(debug) {}
  bool closedBeforeSink = false;
  platform::HResult OnDownloadStart() override { return Witness(); }
  platform::HResult OnReady() override { return Witness(); }

 private:
  platform::HResult Witness() {
    closedBeforeSink = closedBeforeSink || debug_.Contains("SimpleLogger - log file closed.");
    return platform::kSOk;
  }
  DebugOutputCapture& debug_;
};

TEST_F(LoaderEventsTest, DownloadStartAndReadyCloseTheLogFileAfterTheSinks) {
  const char* settings = "Software\\Nordak Labs\\Trialdesk\\WEB_CLNT_DEBUG";
  ScratchRegistryKey userSettings(platform::RegistryRoot::CurrentUser, settings);
  platform::RegistryKey key;
  ASSERT_EQ(platform::kErrorSuccess,
            platform::RegistryKey::Create(platform::RegistryRoot::CurrentUser, settings, key));
  const std::string folder = machine_.ScratchFolder() + "\\logs";
  ASSERT_EQ(platform::kErrorSuccess, platform::CreateDirectoryWithParents(folder));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString("MASK", "All"));
  ASSERT_EQ(platform::kErrorSuccess, key.WriteString("PATH", folder));
  SimpleLogger::ReleaseInstance();
  ASSERT_TRUE(SimpleLogger::GetInstance()->IsActive());

  LoaderEvents events;
  auto witness = std::make_shared<ClosedFileWitness>(journal_, debug_);
  events.Advise(witness);
  for (auto fire : {&LoaderEvents::Fire_OnDownloadStart, &LoaderEvents::Fire_OnReady}) {
    SimpleLogger::GetInstance()->Info("test", "opens the file");
    DebugOutputCapture debug;
    (events.*fire)();
    EXPECT_TRUE(debug.Contains("SimpleLogger - log file closed."));
  }
  EXPECT_FALSE(witness->closedBeforeSink);
  SimpleLogger::GetInstance()->Info("test", "opens the file");
  DebugOutputCapture debug;
  events.Fire_OnUIActive();
  events.Fire_OnError("e");
  EXPECT_FALSE(debug.Contains("SimpleLogger - log file closed."));
  SimpleLogger::ReleaseInstance();
}

}  // namespace
