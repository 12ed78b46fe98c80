#include "session/ProgressView.h"

#include <algorithm>
#include <limits>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/LastError.h"
#include "platform/WindowSystem.h"
#include "session/ResourceStrings.h"

namespace {

using platform::WindowHandle;

constexpr char kStaticClass[] = "static";
constexpr char kProgressClass[] = "msctls_progress32";
constexpr char kEditClass[] = "Edit";
constexpr uint32_t kRowStyle = platform::kWsChild | platform::kWsVisible;
constexpr uint32_t kRedrawAll =
    platform::kRdwInvalidate | platform::kRdwErase | platform::kRdwUpdateNow;

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

// Sends without waiting on a window that has stopped answering.
void SetBarPosition(WindowHandle bar, int32_t position) {
  intptr_t ignored = 0;
  platform::SendWindowMessageTimeout(bar, platform::kPbmSetPos, static_cast<uintptr_t>(position), 0,
                                     platform::kSmtoNoTimeoutIfNotHung, 0, ignored);
}

void RemoveWindow(WindowHandle& window) {
  if (!window) return;
  platform::ShowWindowAs(window, platform::ShowCommand::Hide);
  platform::DestroyWindowNow(window);
  window = 0;
}

// progress * 100 / progressMax without overflow, at most 100.
int32_t Percentage(uint64_t progress, uint64_t progressMax) {
  if (progress >= progressMax) return 100;
  constexpr uint64_t kLimit = std::numeric_limits<uint64_t>::max() / 100;
  if (progress <= kLimit) return static_cast<int32_t>(progress * 100 / progressMax);
  return static_cast<int32_t>(progress / (progressMax / 100));
}

}  // namespace

ProgressGeometry ProgressGeometry::For(int32_t width, int32_t height, int32_t rowHeight) {
  const int32_t qx = width / 4;
  const int32_t qy = height / 4;
  ProgressGeometry geometry;
  geometry.x = qx;
  geometry.width = width - 2 * qx;
  geometry.rowHeight = rowHeight;
  geometry.componentsTextY = (qy - rowHeight) * 2;
  geometry.progressComponentsY = 2 * qy - rowHeight;
  geometry.statusY = rowHeight + 2 * qy;
  geometry.fileProgressY = (rowHeight + qy) * 2;
  return geometry;
}

ProgressGeometry ProgressView::Geometry() const {
  platform::WindowRect position;
  platform::ReadPositionRect(state_.window, position);
  return ProgressGeometry::For(position.Width(), position.Height(), state_.rowHeight);
}

void ProgressView::CheckWindow(WindowHandle window, const char* name) {
  platform::WindowRect rect;
  if (window && platform::ReadWindowRect(window, rect)) {
    Log().Info("CLoader::CheckWindow", Format("%s created hwnd=0x%llx, rect=(%d,%d,%d,%d)", name,
                                              static_cast<unsigned long long>(window), rect.left,
                                              rect.top, rect.right, rect.bottom));
  } else {
    Log().Info("CLoader::CheckWindow", Format("CreateWindowEx [%s] failed with error:%lx", name,
                                              platform::LastErrorCode()));
  }
}

WindowHandle ProgressView::CreateRow(const char* className, int32_t y, const char* name) {
  const ProgressGeometry geometry = Geometry();
  const WindowHandle window = platform::CreateChildWindow(
      state_.window, className, "", kRowStyle, geometry.x, y, geometry.width, geometry.rowHeight);
  CheckWindow(window, name);
  return window;
}

void ProgressView::PostBarColors(WindowHandle bar) {
  platform::PostWindowMessage(bar, platform::kPbmSetBarColor, 0, state_.progColor);
  platform::PostWindowMessage(bar, platform::kPbmSetBkColor, 0, state_.progBkColor);
}

void ProgressView::AddComponentsTextWindow() {
  const char* location = "CLoader::AddComponentsTextWindow";
  Log().Info(location, "Enter AddComponentsTextWindow Method");
  if (state_.componentsTextWindow) {
    Log().Info(location, "m_hWndComponentsText already created");
    return;
  }
  state_.componentsTextWindow =
      CreateRow(kStaticClass, Geometry().componentsTextY, "m_hWndComponentsText");
}

int32_t ProgressView::AddProgressBar(const std::string& statusLine, const CDataStructure& record) {
  const char* location = "CLoader::AddProgressBar";
  Log().Info(location, "Enter AddProgressBar Method");
  if (record.alreadyPresent) {
    state_.finishedMarks.push_back(1);
    state_.statusWindows.push_back(0);
    state_.fileProgressWindows.push_back(0);
    Log().Info(location, "Download completed, update static handles.");
    return static_cast<int32_t>(state_.fileProgressWindows.size()) - 1;
  }
  state_.finishedMarks.push_back(0);
  Log().Info(location, "[m_Finish] updated with false");

  const ProgressGeometry geometry = Geometry();
  if (state_.progressComponentsWindow) {
    Log().Info(location, "ProgressComponents already exists.");
  } else {
    AddComponentsTextWindow();
    Log().Info(location, "Create window for ProgressComponents");
    state_.progressComponentsWindow =
        CreateRow(kProgressClass, geometry.progressComponentsY, "ProgressComponents");
    PostBarColors(state_.progressComponentsWindow);
  }

  const WindowHandle status = CreateRow(kStaticClass, geometry.statusY, "hWndStatic");
  platform::WriteWindowText(status, statusLine);
  const WindowHandle fileBar = CreateRow(kProgressClass, geometry.fileProgressY, "hWndProgress");
  for (WindowHandle bar : {fileBar, state_.progressComponentsWindow}) {
    PostBarColors(bar);
    platform::PostWindowMessage(bar, platform::kPbmSetStep, 1, 0);
  }

  state_.fileProgressWindows.push_back(fileBar);
  state_.statusWindows.push_back(status);
  platform::RedrawWindowNow(state_.window, kRedrawAll);
  return static_cast<int32_t>(state_.fileProgressWindows.size()) - 1;
}

void ProgressView::FinishProgressEntry(int32_t position) {
  if (position < 0 || static_cast<size_t>(position) >= state_.fileProgressWindows.size()) return;
  const size_t at = static_cast<size_t>(position);
  if (at < state_.finishedMarks.size()) state_.finishedMarks[at] = 1;
  // Cleared once gone, so a second report for the same record cannot touch
  // a window that has taken the handle since.
  RemoveWindow(state_.statusWindows[at]);
  RemoveWindow(state_.fileProgressWindows[at]);
}

void ProgressView::RemoveTransferRows() {
  const char* location = "CLoader::OnTimer";
  for (WindowHandle& bar : state_.fileProgressWindows) RemoveWindow(bar);
  RemoveWindow(state_.progressComponentsWindow);
  Log().Info(location, "DESTORY - m_hWndProgressComponents");
  for (WindowHandle& status : state_.statusWindows) {
    RemoveWindow(status);
    Log().Info(location, "DESTORY - static handles");
  }
}

void ProgressView::RemoveComponentsText() {
  RemoveWindow(state_.componentsTextWindow);
  Log().Info("CLoader::OnTimer", "User notification window closed.");
}

bool ProgressView::AllEntriesFinished() const {
  return std::all_of(state_.finishedMarks.begin(), state_.finishedMarks.end(),
                     [](int mark) { return mark != 0; });
}

void ProgressView::ShowProgressStep(int32_t position, int32_t count,
                                    const std::string& description) {
  if (count <= 0 || position < 0 || position >= count) return;
  events_.Fire_OnDownloadProgress(position + 1, count, description);
  if (state_.componentsTextWindow) {
    const std::string format = resources::Text(resources::kTotalProgress);
    platform::WriteWindowText(state_.componentsTextWindow,
                              Format(format.c_str(), ((position + 1) * 100) / count));
  }
  if (count > 1 && state_.progressComponentsWindow)
    SetBarPosition(state_.progressComponentsWindow, (position * 100) / (count - 1));
}

void ProgressView::ReportFileProgress(int32_t position, uint64_t progress, uint64_t progressMax) {
  if (position < 0 || static_cast<size_t>(position) >= state_.fileProgressWindows.size()) return;
  if (meter_) meter_->OnTransferBytes(position, progress, progressMax);
  if (progressMax == 0) return;
  const int32_t percentage = Percentage(progress, progressMax);
  const WindowHandle bar = state_.fileProgressWindows[static_cast<size_t>(position)];
  if (bar) SetBarPosition(bar, percentage);
  events_.Fire_OnFileDownloadProgress(percentage);
}

void ProgressView::MoveRow(WindowHandle window, int32_t y, bool keepText) {
  if (!window) return;
  const ProgressGeometry geometry = Geometry();
  // A static window may lose its text while it moves; it is put back.
  const std::string text = keepText ? platform::ReadWindowText(window) : std::string();
  platform::MoveWindowTo(window, geometry.x, y, geometry.width, geometry.rowHeight, true);
  if (keepText) platform::WriteWindowText(window, text);
}

void ProgressView::FitControlToTopLevel() {
  const WindowHandle top = platform::TopLevelAncestor(state_.window);
  platform::WindowRect topRect, position;
  if (!top || !platform::ReadWindowRect(top, topRect) ||
      !platform::ReadPositionRect(state_.window, position))
    return;
  if (position.Width() > 0 && position.Height() > 0 &&
      (position.Width() != topRect.Width() || position.Height() != topRect.Height()))
    platform::MoveWindowTo(state_.window, 0, 0, topRect.Width(), topRect.Height(), true);
}

void ProgressView::LayOut() {
  if (!state_.window) return;
  const ProgressGeometry geometry = Geometry();
  for (size_t i = 0; i < state_.fileProgressWindows.size(); ++i) {
    MoveRow(state_.fileProgressWindows[i], geometry.fileProgressY, false);
    if (i < state_.statusWindows.size()) MoveRow(state_.statusWindows[i], geometry.statusY, true);
  }
  MoveRow(state_.componentsTextWindow, geometry.componentsTextY, true);
  MoveRow(state_.progressComponentsWindow, geometry.progressComponentsY, false);
  for (WindowHandle window : state_.fileProgressWindows) {
    if (window) platform::UpdateWindowNow(window);
  }
  for (WindowHandle window : state_.statusWindows) {
    if (window) platform::UpdateWindowNow(window);
  }
  for (WindowHandle window : {state_.componentsTextWindow, state_.progressComponentsWindow}) {
    if (window) platform::UpdateWindowNow(window);
  }

  if (state_.clientWindow) {
    FitControlToTopLevel();
    platform::WindowRect position;
    if (platform::ReadPositionRect(state_.window, position)) {
      platform::MoveWindowTo(state_.clientWindow, 0, 0, position.Width(), position.Height(), true);
      platform::UpdateWindowNow(state_.clientWindow);
    }
  }

  platform::UpdateWindowNow(state_.window);
  platform::SendWindowMessage(state_.window, platform::kWmSetRedraw, 1, 0);
  platform::RedrawWindowNow(state_.window, kRedrawAll);
}

void ProgressView::FitToFrame() {
  if (state_.clientWindow && state_.window) FitControlToTopLevel();
}

void ProgressView::ReportFailure(const std::string& text) {
  events_.Fire_OnFailure(text);
  platform::WindowRect client;
  platform::ReadClientRect(state_.window, client);
  // A control too small for the margins gets an empty box, not a negative one.
  const int32_t width = std::max(0, client.Width() - 21);
  const int32_t height = std::max(0, client.Height() - 11);
  const WindowHandle box = platform::CreateChildWindow(
      state_.window, kEditClass, "",
      kRowStyle | platform::kWsVScroll | platform::kEsReadOnly | platform::kEsMultiline, 20, 10,
      width, height);
  CheckWindow(box, "hWndStatic");
  if (!box) return;
  platform::WriteWindowText(box, text);
  platform::ShowWindowAs(box, platform::ShowCommand::ShowNormal);
  platform::ShowWindowAs(state_.window, platform::ShowCommand::ShowNormal);
  platform::EnableWindowInput(box, true);
}
