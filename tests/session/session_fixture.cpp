#include "session_fixture.h"

#include "infra/StringHelpers.h"
#include "platform/MessageLoop.h"
#include "session/FailureReport.h"
#include "session/SiteLock.h"

platform::HResult RecordingSink::OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                                    const std::string& description) {
  return Record(Format("OnDownloadProgress(%d,%d,%s)", fileNo, totalFiles, description.c_str()));
}

platform::HResult RecordingSink::OnFileDownloadProgress(int32_t percentage) {
  return Record(Format("OnFileDownloadProgress(%d)", percentage));
}

platform::HResult RecordingSink::Record(const std::string& event) {
  journal_.push_back(name_ == "sink" ? event : name_ + ":" + event);
  return result;
}

SessionTest::SessionTest()
    : sink_(std::make_shared<RecordingSink>(journal_)),
      hostWindow_(platform::CreateHostWindow("session test", 800, 600)),
      loader_(std::make_unique<CLoader>(host_)) {
  FailureReport::Instance().Clear();
  SetSiteLockFlag(false);
  loader_->Events().Advise(sink_);
}

SessionTest::~SessionTest() {
  loader_.reset();
  platform::DestroyWindowNow(hostWindow_);
  Pump();
  FailureReport::Instance().Clear();
}

void SessionTest::CreateControl(int32_t width, int32_t height) {
  ASSERT_NE(0u, hostWindow_);
  ASSERT_TRUE(loader_->CreateControlWindow(hostWindow_));
  ASSERT_NE(0u, loader_->ControlWindow());
  ASSERT_TRUE(platform::MoveWindowTo(loader_->ControlWindow(), 0, 0, width, height, true));
}

void SessionTest::Pump() {
  int quitCode = 0;
  platform::DispatchWaitingMessages(quitCode);
}

platform::WindowRect SessionTest::RelativeRect(platform::WindowHandle child) const {
  platform::WindowRect control, rect;
  EXPECT_TRUE(platform::ReadWindowRect(loader_->ControlWindow(), control));
  EXPECT_TRUE(platform::ReadWindowRect(child, rect));
  return {rect.left - control.left, rect.top - control.top, rect.right - control.left,
          rect.bottom - control.top};
}

bool SessionTest::Logged(const std::string& level, const std::string& location,
                         const std::string& message) const {
  return debug_.Contains("ZEL\t" + level + "\t" + location + "\t" + message + "\t");
}
