// A loader session on a machine of the test's own, with its control window
// in a host window, the debugger output captured and a recording event sink.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "debug_output_capture.h"
#include "platform/MessageLoop.h"
#include "session/CLoader.h"
#include "test_machine.h"

// Records every event as text ("OnDownloadProgress(1,2,first)") and answers
// with result.
class RecordingSink : public LoaderEventSink {
 public:
  explicit RecordingSink(std::vector<std::string>& journal, std::string name = "sink")
      : journal_(journal), name_(std::move(name)) {}

  platform::HResult result = platform::kSOk;

  platform::HResult OnReady() override { return Record("OnReady()"); }
  platform::HResult OnUIActive() override { return Record("OnUIActive()"); }
  platform::HResult OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                       const std::string& description) override;
  platform::HResult OnFileDownloadProgress(int32_t percentage) override;
  platform::HResult OnError(const std::string& message) override {
    return Record("OnError(" + message + ")");
  }
  platform::HResult OnFailure(const std::string& message) override {
    return Record("OnFailure(" + message + ")");
  }
  platform::HResult OnDownloadStart() override { return Record("OnDownloadStart()"); }
  platform::HResult OnSlo() override { return Record("OnSlo()"); }

 private:
  platform::HResult Record(const std::string& event);
  std::vector<std::string>& journal_;
  std::string name_;
};

// Records each end of a session as "outcome:reason".
class RecordingEnd : public SessionEndSink {
 public:
  std::vector<std::string> ends;
  void OnSessionEnded(SessionOutcome outcome, const std::string& reason) override {
    ends.push_back(std::string(SessionOutcomeName(outcome)) + ":" + reason);
  }
};

class SessionTest : public MachineTest {
 protected:
  SessionTest();
  ~SessionTest() override;

  // Makes the control window in the host window and gives it a size.
  void CreateControl(int32_t width = 400, int32_t height = 200);
  // Dispatches what is waiting in the thread's queue.
  static void Pump();
  // A child's rectangle relative to the control window's top left corner.
  platform::WindowRect RelativeRect(platform::WindowHandle child) const;

  bool Logged(const std::string& level, const std::string& location,
              const std::string& message) const;

  // The session's thread is a browser's user-interface thread.
  platform::ThreadApartment apartment_;
  std::vector<std::string> journal_;
  std::shared_ptr<RecordingSink> sink_;
  DebugOutputCapture debug_;
  NoContainer host_;
  platform::WindowHandle hostWindow_ = 0;
  std::unique_ptr<CLoader> loader_;
};
