// The control window's progress display: a text line for the components, an
// overall bar, and per record a status line and a bar for its file, stacked
// in the middle of the control; at the end, when something failed, a
// read-only text box with the failure text.
#pragma once

#include <cstdint>
#include <string>

#include "session/CDataStructure.h"
#include "session/LoaderEvents.h"
#include "session/SessionState.h"
#include "transfer/TransferHost.h"

// Where the rows go in a control of width w and height h: every row at
// x = w / 4, as wide as the middle half and one row high.
struct ProgressGeometry {
  int32_t x = 0, width = 0, rowHeight = 0;
  int32_t componentsTextY = 0, progressComponentsY = 0, statusY = 0, fileProgressY = 0;

  static ProgressGeometry For(int32_t width, int32_t height, int32_t rowHeight);
};

// The byte counts behind a file's progress, for hosts that show more than
// the percentage (bytes, rate, time left). expected is 0 when the size is
// not known.
class TransferMeter {
 public:
  virtual ~TransferMeter() = default;
  virtual void OnTransferBytes(int32_t position, uint64_t received, uint64_t expected) = 0;
};

class ProgressView : public TransferProgress {
 public:
  ProgressView(SessionState& state, LoaderEvents& events) : state_(state), events_(events) {}

  // The components text window, made once.
  void AddComponentsTextWindow();
  // The status line and file bar of a record about to be transferred (an
  // empty entry for one already present); the position of the new entry.
  int32_t AddProgressBar(const std::string& statusLine, const CDataStructure& record);
  // A record's transfer has ended, however it ended: its windows go.
  void FinishProgressEntry(int32_t position) override;
  bool AllEntriesFinished() const;

  // The overall progress when the record at position (of count) starts.
  void ShowProgressStep(int32_t position, int32_t count, const std::string& description);
  // A transfer's progress report: the record's bar and OnFileDownloadProgress,
  // when the position is valid and the expected size known. The meter hears
  // of every report for a valid position, before the event.
  void ReportFileProgress(int32_t position, uint64_t progress, uint64_t progressMax) override;
  void SetTransferMeter(TransferMeter* meter) { meter_ = meter; }

  // The WM_SIZE handler: every row back in its place, the client window
  // fitted to the control.
  void LayOut();
  // WM_LOADER_FIT_TO_FRAME: with a client window registered, the control
  // takes the size of its top-level window.
  void FitToFrame();

  // Completion: every file bar, the overall bar and every status line go,
  // logged as the completion stage; later the components text line.
  void RemoveTransferRows();
  void RemoveComponentsText();

  // Raises OnFailure and shows the text in a read-only box over the control.
  void ReportFailure(const std::string& text);

  // Logs whether the named child window was made.
  static void CheckWindow(platform::WindowHandle window, const char* name);

 private:
  ProgressGeometry Geometry() const;
  platform::WindowHandle CreateRow(const char* className, int32_t y, const char* name);
  void PostBarColors(platform::WindowHandle bar);
  void MoveRow(platform::WindowHandle window, int32_t y, bool keepText);
  void FitControlToTopLevel();

  SessionState& state_;
  LoaderEvents& events_;
  TransferMeter* meter_ = nullptr;
};
