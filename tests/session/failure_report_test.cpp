#include <gtest/gtest.h>

#include "platform/LastError.h"
#include "platform/TextCompare.h"
#include "session/FailureReport.h"
#include "session/ResourceStrings.h"
#include "session_fixture.h"

namespace {

class FailureReportTest : public SessionTest {
 protected:
  void Trace(platform::Win32Error error, const std::string& file, const std::string& description) {
    platform::SetLastErrorCode(error);
    loader_->TraceError(file, description);
  }
};

TEST_F(FailureReportTest, FourEntryFormatsNumberedInOrderThenClosedAndReset) {
  CreateControl();
  const std::string denied = platform::SystemErrorMessage(5);
  ASSERT_FALSE(denied.empty());
  Trace(5, "a.dll", "could not be placed");
  Trace(0, "b.exe", "signature refused");
  Trace(5, "c.ocx", "");
  Trace(0, "d.cab", "");

  const std::string expected =
      "Following client components were not downloaded successfully: \r\n"
      "\r\n1 . a.dll :\r\n(Error 5) " +
      denied +
      "could not be placed\r\n"
      "\r\n2 . b.exe :\r\nsignature refused\r\n"
      "\r\n3 . c.ocx :\r\n(Error 5) " +
      denied +
      "\r\n4 . d.cab\r\n"
      "\r\nClose all connections to Server and try again.";
  EXPECT_EQ(expected, FailureReport::Instance().TakeText());
  // Taken means gone, and the numbers start again.
  EXPECT_EQ("", FailureReport::Instance().TakeText());
  Trace(0, "e.dll", "");
  EXPECT_EQ(
      "Following client components were not downloaded successfully: \r\n"
      "\r\n1 . e.dll\r\n" +
          resources::Text(resources::kCloseConnections),
      FailureReport::Instance().TakeText());

  // Each failure is logged at error level (a log line holds no line
  // breaks) and raised while there is a window.
  const std::string deniedLine = denied.substr(0, denied.find_last_not_of("\r\n") + 1);
  EXPECT_TRUE(Logged("ERROR", "TraceError",
                     "File='a.dll', Error code: 5, Error: " + deniedLine +
                         ", Description: 'could not be placed'"));
  EXPECT_TRUE(Logged("ERROR", "TraceError", "File='d.cab', Description: ''"));
  EXPECT_EQ("OnError(File='b.exe', Description: 'signature refused')", journal_.at(1));
  EXPECT_EQ(5u, journal_.size());
}

TEST_F(FailureReportTest, UnnamedFileIsLoggedAndRaisedButNotReported) {
  CreateControl();
  Trace(0, "", "no file here");
  EXPECT_TRUE(Logged("ERROR", "TraceError", "File='', Description: 'no file here'"));
  EXPECT_EQ(std::vector<std::string>{"OnError(File='', Description: 'no file here')"}, journal_);
  EXPECT_FALSE(FailureReport::Instance().HasEntries());
}

TEST_F(FailureReportTest, WithoutAWindowNothingIsRaisedButTheEntryStays) {
  Trace(0, "x.dll", "100%s %d of \"quotes\"");  // no window: no event
  EXPECT_TRUE(journal_.empty());
  // A failure shown without a window is still raised; the box cannot be made.
  loader_->ReportFailure("shown nowhere");
  EXPECT_EQ(std::vector<std::string>{"OnFailure(shown nowhere)"}, journal_);
  EXPECT_TRUE(
      Logged("INFO", "CLoader::CheckWindow", "CreateWindowEx [hWndStatic] failed with error:57e"));
  EXPECT_NE(std::string::npos,
            FailureReport::Instance().TakeText().find("1 . x.dll :\r\n100%s %d of \"quotes\"\r\n"));
}

TEST_F(FailureReportTest, ReportFailureRaisesAndShowsAReadOnlyBoxInsideTheMargins) {
  CreateControl(100, 50);
  const std::string text = "Initialization has failed.\r\nline two";
  loader_->ReportFailure(text);
  ASSERT_EQ(std::vector<std::string>{"OnFailure(" + text + ")"}, journal_);
  EXPECT_TRUE(Logged("WARNING", "CProxyILoaderEvents<class CLoader>::Fire_OnFailure",
                     "Fire_OnFailure(message=Initialization has failed.line two)"));

  const std::vector<platform::WindowHandle> children =
      platform::ChildWindows(loader_->ControlWindow());
  ASSERT_EQ(1u, children.size());
  const platform::WindowHandle box = children[0];
  EXPECT_TRUE(platform::OrdinalEqualsNoCase("Edit", platform::ReadClassName(box)));
  EXPECT_EQ((platform::WindowRect{20, 10, 99, 49}), RelativeRect(box));
  EXPECT_EQ(text, platform::ReadWindowText(box));
  const uint32_t style = platform::ReadWindowStyle(box);
  for (uint32_t bit : {platform::kWsChild, platform::kWsVisible, platform::kWsVScroll,
                       platform::kEsReadOnly, platform::kEsMultiline})
    EXPECT_EQ(bit, style & bit) << std::hex << bit;
  // The control window, made hidden, is shown (the host window around it
  // is the host's to show).
  EXPECT_TRUE(platform::ReadWindowStyle(loader_->ControlWindow()) & platform::kWsVisible);
  EXPECT_TRUE(platform::IsWindowInputEnabled(box));
}

TEST_F(FailureReportTest, StartUpErrorTextHasTheDetailsOnlyWhenThereAreAny) {
  CreateControl();
  const std::string failed = resources::Text(resources::kInitializationFailed);
  loader_->HandleInitializationRuntimeError("Invalid file structure");
  loader_->HandleInitializationRuntimeError("");
  loader_->HandleInitializationRuntimeError(nullptr);
  ASSERT_EQ(3u, journal_.size());
  EXPECT_EQ("OnFailure(" + failed + "\r\n\r\nFailure details:\r\nInvalid file structure\r\n)",
            journal_[0]);
  EXPECT_EQ("OnFailure(" + failed + ")", journal_[1]);
  EXPECT_EQ("OnFailure(" + failed + ")", journal_[2]);
  EXPECT_TRUE(Logged("ERROR", "CLoader::HandleInitializationRuntimeError",
                     "Runtime error while starting application setup."));
}

}  // namespace
