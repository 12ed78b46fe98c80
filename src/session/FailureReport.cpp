#include "session/FailureReport.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/LastError.h"
#include "session/ResourceStrings.h"

namespace {

constexpr char kHeading[] = "Following client components were not downloaded successfully: \r\n";

}  // namespace

FailureReport& FailureReport::Instance() {
  static FailureReport* report = new FailureReport();  // lives as long as the process
  return *report;
}

void FailureReport::AddEntry(const std::string& file, platform::Win32Error error,
                             const std::string& errorText, const std::string& description) {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (text_.empty()) text_ = kHeading;
  const int n = nextNumber_++;
  if (!description.empty() && error != 0) {
    text_ += Format("\r\n%d . %s :\r\n(Error %ld) %s%s\r\n", n, file.c_str(), error,
                    errorText.c_str(), description.c_str());
  } else if (!description.empty()) {
    text_ += Format("\r\n%d . %s :\r\n%s\r\n", n, file.c_str(), description.c_str());
  } else if (error != 0) {
    text_ += Format("\r\n%d . %s :\r\n(Error %ld) %s", n, file.c_str(), error, errorText.c_str());
  } else {
    text_ += Format("\r\n%d . %s\r\n", n, file.c_str());
  }
}

std::string FailureReport::TakeText() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  if (text_.empty()) return {};
  text_ += resources::Text(resources::kCloseConnections);
  std::string text;
  text.swap(text_);
  nextNumber_ = 1;
  return text;
}

bool FailureReport::HasEntries() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  return !text_.empty();
}

void FailureReport::Clear() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  text_.clear();
  nextNumber_ = 1;
}

void FailureReport::RestartNumbering() {
  std::lock_guard<std::recursive_mutex> guard(lock_);
  nextNumber_ = 1;
}

std::string FormatFailureLine(const std::string& file, platform::Win32Error error,
                              const std::string& errorText, const std::string& description) {
  if (error != 0) {
    return Format("File='%s', Error code: %ld, Error: %s, Description: '%s'", file.c_str(), error,
                  errorText.c_str(), description.c_str());
  }
  return Format("File='%s', Description: '%s'", file.c_str(), description.c_str());
}

void SessionFailureTrace::TraceError(const std::string& file, const std::string& description) {
  // The caller's error: read before anything here can change it.
  const platform::Win32Error error = platform::LastErrorCode();
  FailureReport& report = FailureReport::Instance();
  std::lock_guard<std::recursive_mutex> guard(report.Lock());
  const std::string errorText = error != 0 ? platform::SystemErrorMessage(error) : std::string();
  const std::string line = FormatFailureLine(file, error, errorText, description);
  SimpleLogger::GetInstance()->Error("TraceError", line);
  if (state_.window) events_.Fire_OnError(line);
  if (!file.empty()) report.AddEntry(file, error, errorText, description);
}
