#include <gtest/gtest.h>

#include "session_fixture.h"

namespace {

class SessionEndTest : public SessionTest {
 protected:
  SessionEndTest() { loader_->SetEndSink(&end_); }
  RecordingEnd end_;
};

TEST_F(SessionEndTest, AStartUpThatStopsSilentlyStopsTheSessionAndSaysWhy) {
  // An installation-package page on a machine without the package.
  loader_->Properties().put_SetupFile("http://127.0.0.1:9/root/Setup.cab");
  loader_->Properties().put_MsiDeployment(-1);
  loader_->Properties().put_IsolatedDeployment(-1);
  CreateControl();
  Pump();  // OnStartSetup
  ASSERT_EQ(1u, end_.ends.size());
  EXPECT_EQ("stopped:Could not find an MSI deployment, but MsiDeployment property was set to true",
            end_.ends[0]);
  EXPECT_TRUE(journal_.empty());  // no failure shown
  // Whatever follows, the sink has heard the end once.
  loader_->EndSession(SessionOutcome::Ready);
  loader_->ReportFailure("late");
  EXPECT_EQ(1u, end_.ends.size());
}

TEST_F(SessionEndTest, ShowingAFailureEndsTheSession) {
  CreateControl();
  loader_->ReportFailure("it broke");
  EXPECT_EQ(std::vector<std::string>{"failure:"}, end_.ends);
  EXPECT_EQ(std::vector<std::string>{"OnFailure(it broke)"}, journal_);
}

}  // namespace
