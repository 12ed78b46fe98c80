#include "session/SessionPostDownloadHost.h"

#include "platform/WindowSystem.h"

NotificationMetrics SessionPostDownloadHost::MeasureNotification(const std::string& line) {
  NotificationMetrics metrics;
  platform::WindowRect control;
  if (platform::ReadPositionRect(state_.window, control)) {
    metrics.controlWidth = control.Width();
    metrics.controlHeight = control.Height();
  }
  metrics.lineHeight = state_.rowHeight;
  int32_t width = 0;
  if (platform::MeasureTextWidth(state_.componentsTextWindow, line, width))
    metrics.textWidth = width;
  return metrics;
}

void SessionPostDownloadHost::ShowNotification(const std::string& line,
                                               const NotificationPlace& place) {
  const platform::WindowHandle window = state_.componentsTextWindow;
  platform::MoveWindowTo(window, place.x, place.y, place.width, place.height, true);
  platform::WriteWindowText(window, line);
  platform::UpdateWindowNow(window);
}
