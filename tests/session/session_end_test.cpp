#include <gtest/gtest.h>

#include "session_fixture.h"

namespace {

class RecordingEnd : public SessionEndSink {
 public:
  std::vector<std::string> ends;
  void OnSessionEnded(SessionOutcome outcome, const std::string& reason) override {
    ends.push_back(std::string(SessionOutcomeName(outcome)) + ":" + reason);
  }
};

class SessionEndTest : public SessionTest {
 protected:
  SessionEndTest() { loader_->SetEndSink(&end_); }
  RecordingEnd end_;
};

TEST_F(SessionEndTest, AStageThatIsNotBuiltStopsTheSessionAndSaysWhich) {
  CreateControl();
  Pump();  // OnStartSetup
  ASSERT_EQ(1u, end_.ends.size());
  EXPECT_EQ("stopped:CLoader::OnStartSetup: This stage is not part of this build; stopped.",
            end_.ends[0]);
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
