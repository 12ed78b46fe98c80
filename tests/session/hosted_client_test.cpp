// The client's user interface hosted in the control window: on Windows a
// control created by its ProgID and given the launch parameters; on posix
// there is nothing to host it with, and the session ends once the
// deployment is ready.
#include <gtest/gtest.h>

#include "completion_fixture.h"
#include "message_box_watch.h"
#include "session/FailureReport.h"
#include "test_files.h"

#ifdef _WIN32
#include "hosted_client_win.h"
#endif

namespace {

#ifdef _WIN32

TEST_F(CompletionTest, TheClientControlIsCreatedInTheControlWindowAndGivenItsParameters) {
  TestClientClass client;
  ASSERT_TRUE(client.Registered());
  Prepare();
  SetMain(TestClientClass::kProgId, "client.dll");
  // The two domain pairs, which this client lacks, are the driver's own: not
  // reported, and still not once the cookie pair goes in front.
  State().launchParameters = {{"TKtesttypes", Folder()},
                                      {"DomainName", "CORP"},
                                      {"DomainPassword", "pw"},
                                      {"Server", "http://srv/zel"},
                                      {"Unknown", "1"},
                                      {"Broken", "x"},
                                      {"After", "y"}};
  State().launchParameterCount = 3;
  network_.cookies = "a=1; b=2";
  MessageBoxWatch boxes(1);
  ASSERT_EQ("client-started", RunToEnd()) << ::testing::PrintToString(journal_);

  EXPECT_EQ((std::vector<std::string>{"site", "activated", "Cookie=a=1; b=2",
                                      "TKtesttypes=" + Folder(), "Server=http://srv/zel"}),
            TestClientClass::Journal());
  EXPECT_EQ(std::vector<std::string>{
                "Error in parameter [Broken]|Error : Broken on purpose\n\n\nPress OK to "
                "continue or CANCEL to close application."},
            boxes.Seen());
  ASSERT_EQ(4u, journal_.size());
  EXPECT_EQ("OnReady()", journal_[0]);
  EXPECT_NE(std::string::npos, journal_[1].find("The client has no property Unknown."));
  EXPECT_NE(std::string::npos, journal_[2].find("The client refused the property Broken"));
  EXPECT_EQ("OnUIActive()", journal_[3]);

  // The host window fills the control window and goes with it.
  const std::vector<platform::WindowHandle> children = platform::ChildWindows(loader_->ControlWindow());
  ASSERT_EQ(1u, children.size());
  EXPECT_EQ("AtlAxWin", platform::ReadClassName(children[0]));
  platform::MoveWindowTo(loader_->ControlWindow(), 0, 0, 300, 150, true);
  platform::WindowRect rect;
  ASSERT_TRUE(platform::ReadClientRect(children[0], rect));
  EXPECT_EQ(300, rect.Width());
  EXPECT_EQ(150, rect.Height());
  loader_->DestroyControlWindow();
  EXPECT_EQ("closed", TestClientClass::Journal().at(5));
}

TEST_F(CompletionTest, AClientControlThatCannotBeCreatedIsShown) {
  TestClientClass client;
  Prepare();
  SetMain("Varnik.NoSuchClient", "client.dll");
  ASSERT_EQ("failure", RunToEnd());
  ASSERT_EQ(3u, journal_.size());
  EXPECT_NE(std::string::npos, journal_[2].find("1 . Varnik.NoSuchClient :"));
  EXPECT_TRUE(TestClientClass::Journal().empty());
}

#else

TEST_F(CompletionTest, WithoutComTheDeploymentIsReadyAndNothingIsHosted) {
  Prepare();
  SetMain("Client.UI.Control", "client.dll");
  EXPECT_EQ("ready:Hosting the client's control \"Client.UI.Control\" by its ProgID needs "
            "Windows; the deployment is complete.",
            RunToEnd());
  EXPECT_EQ(std::vector<std::string>{"OnReady()"}, journal_);
  EXPECT_TRUE(PathExists(loader_->Engine().GetMergedSetupPath(false)));
  EXPECT_TRUE(platform::ChildWindows(loader_->ControlWindow()).empty());
}

#endif

}  // namespace
