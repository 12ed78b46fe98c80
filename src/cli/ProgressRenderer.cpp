#include "cli/ProgressRenderer.h"

#include <algorithm>
#include <vector>

#include "cli/TerminalText.h"
#include "cli/Utf8Text.h"
#include "infra/StringHelpers.h"
#include "session/ResourceStrings.h"

namespace {

constexpr int64_t kRedrawMs = 100;
constexpr size_t kWidestBar = 42;
constexpr size_t kNarrowestBar = 12;

// Back to the start of the first drawn line, and everything below it gone.
std::string EraseSequence(int drawnLines) {
  if (drawnLines == 0) return std::string();
  std::string sequence = "\r";
  for (int line = 1; line < drawnLines; ++line) sequence += "\x1b[1A";
  return sequence + "\x1b[J";
}

std::string FailureText(const std::string& report) {
  std::string text = ReplaceAll(NarrowToUtf8(report), "\r\n", "\n");
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return "Deployment failed:\n" + text;
}

}  // namespace

ProgressRenderer::ProgressRenderer(ProgressMode mode, TerminalWriter& out,
                                   const ProgressRows& rows, const EventClock& clock)
    : mode_(mode), out_(out), rows_(rows), clock_(clock) {}

platform::HResult ProgressRenderer::OnDownloadStart() {
  Print("Download started.");
  return platform::kSOk;
}

platform::HResult ProgressRenderer::OnDownloadProgress(int32_t fileNo, int32_t totalFiles,
                                                       const std::string& description) {
  ++filesFetched_;
  if (file_.bytesKnown) bytesOfEarlierFiles_ += file_.received;
  file_ = CurrentFile();
  file_.fileNo = fileNo;
  file_.totalFiles = totalFiles;
  file_.description = NarrowToUtf8(description);
  rate_.Reset();
  lastPlainStep_ = -1;
  if (mode_ == ProgressMode::Plain) out_.Write(TotalLine() + "\n");
  drawing_ = true;
  Draw(true);
  return platform::kSOk;
}

platform::HResult ProgressRenderer::OnFileDownloadProgress(int32_t percentage) {
  file_.percentage = std::clamp(percentage, 0, 100);
  if (!file_.bytesKnown) rate_.Add(clock_.SteadyMs(), static_cast<uint64_t>(file_.percentage));
  if (mode_ == ProgressMode::Plain && file_.percentage / 10 != lastPlainStep_) {
    lastPlainStep_ = file_.percentage / 10;
    std::string line = Format("[%d/%d] %d%%", file_.fileNo, file_.totalFiles, file_.percentage);
    if (file_.bytesKnown)
      line += " (" + FormatBytes(file_.received) + " of " + FormatBytes(file_.expected) + ")";
    out_.Write(line + "\n");
  }
  Draw(file_.percentage == 100);
  return platform::kSOk;
}

void ProgressRenderer::OnTransferBytes(int32_t position, uint64_t received, uint64_t expected) {
  // Byte counts of a record other than the one shown would mix two files.
  if (position + 1 != file_.fileNo) return;
  file_.bytesKnown = true;
  file_.received = received;
  file_.expected = expected;
  rate_.Add(clock_.SteadyMs(), received);
  Draw(false);
}

platform::HResult ProgressRenderer::OnError(const std::string& message) {
  Print("Error: " + NarrowToUtf8(message));
  return platform::kSOk;
}

platform::HResult ProgressRenderer::OnFailure(const std::string& message) {
  drawing_ = false;
  if (mode_ == ProgressMode::Quiet) {
    out_.Write(FailureText(message) + "\n");
  } else {
    Print(FailureText(message));
  }
  return platform::kSOk;
}

platform::HResult ProgressRenderer::OnReady() {
  drawing_ = false;
  Print("Ready: every component is in place.");
  return platform::kSOk;
}

platform::HResult ProgressRenderer::OnUIActive() {
  Print("The client's user interface is active.");
  return platform::kSOk;
}

platform::HResult ProgressRenderer::OnSlo() {
  Print("Single sign-out received.");
  return platform::kSOk;
}

void ProgressRenderer::Finish(const std::string& closingLine) {
  drawing_ = false;
  Erase();
  if (mode_ != ProgressMode::Quiet && !closingLine.empty()) out_.Write(closingLine + "\n");
}

std::string ProgressRenderer::TransferSummary() const {
  if (filesFetched_ == 0) return "Nothing was downloaded: every component was in place already.";
  const uint64_t bytes = bytesOfEarlierFiles_ + (file_.bytesKnown ? file_.received : 0);
  return Format("Downloaded %d component%s, %s.", filesFetched_, filesFetched_ == 1 ? "" : "s",
                FormatBytes(bytes).c_str());
}

std::string ProgressRenderer::TotalLine() const {
  const int32_t total = std::max(file_.totalFiles, 1);
  const std::string format = resources::Text(resources::kTotalProgress);
  std::string status = NarrowToUtf8(rows_.StatusText());
  if (status.empty()) status = file_.description;
  return Format(format.c_str(), file_.fileNo * 100 / total) +
         Format(" (%d of %d): ", file_.fileNo, file_.totalFiles) + status;
}

int32_t ProgressRenderer::FilePercentage() const {
  // The byte counts come before each event, so they are the newer figure.
  if (file_.bytesKnown && file_.expected > 0)
    return file_.received >= file_.expected
               ? 100
               : static_cast<int32_t>(static_cast<double>(file_.received) * 100.0 /
                                      static_cast<double>(file_.expected));
  return file_.percentage;
}

std::string ProgressRenderer::FileLine(size_t columns) const {
  std::vector<std::string> parts;
  const int32_t percentage = FilePercentage();
  if (percentage >= 0) parts.push_back(Format("%3d%%", percentage));
  if (file_.bytesKnown) {
    parts.push_back(file_.expected > 0
                        ? FormatBytes(file_.received) + " of " + FormatBytes(file_.expected)
                        : FormatBytes(file_.received));
  }
  const double rate = rate_.PerSecond();
  if (file_.bytesKnown && rate > 0)
    parts.push_back(FormatBytes(static_cast<uint64_t>(rate)) + "/s");
  const uint64_t goal = file_.bytesKnown ? file_.expected : (file_.percentage >= 0 ? 100 : 0);
  if (goal > 0 && rate > 0) parts.push_back(FormatDuration(rate_.SecondsLeft(goal)) + " left");

  std::string numbers;
  for (const std::string& part : parts) numbers += (numbers.empty() ? "" : "  ") + part;
  const size_t used = 2 + ColumnCount(numbers) + 2;  // indent, gap after the bar
  const size_t room = columns > used ? columns - used : 0;
  if (room < kNarrowestBar) return "  " + numbers;
  return "  " + FormatBar(std::max(percentage, 0), std::min(room, kWidestBar)) +
         (numbers.empty() ? "" : "  " + numbers);
}

size_t ProgressRenderer::Width() const {
  // The last column is left free: writing into it wraps on some terminals,
  // and the cursor would no longer be where the erasing expects it.
  return static_cast<size_t>(std::max(out_.Columns() - 1, 1));
}

void ProgressRenderer::Draw(bool force) {
  if (mode_ != ProgressMode::Interactive || !drawing_) return;
  const int64_t now = clock_.SteadyMs();
  if (!force && drawnLines_ > 0 && now - lastDrawMs_ < kRedrawMs) return;
  const size_t width = Width();
  out_.Write(EraseSequence(drawnLines_) + FitToColumns(TotalLine(), width) + "\n" +
             FitToColumns(FileLine(width), width));
  drawnLines_ = 2;
  lastDrawMs_ = now;
}

void ProgressRenderer::Erase() {
  if (drawnLines_ == 0) return;
  out_.Write(EraseSequence(drawnLines_));
  drawnLines_ = 0;
}

void ProgressRenderer::Print(const std::string& utf8) {
  if (mode_ == ProgressMode::Quiet) return;
  Erase();
  out_.Write(utf8 + "\n");
  Draw(true);
}
