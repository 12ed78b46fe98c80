// posix has no desktop: no top window, and a message box is one line of
// the debugger output.
#include "platform/DebugOutput.h"
#include "platform/UrlMoniker.h"
#include "platform/WindowSystem.h"

namespace platform {

WindowHandle TopWindow() { return 0; }

void ShowMessageBox(const std::string& text, const std::string& caption) {
  ShowMessageBoxOn(0, text, caption, kMbOk);
}

int ShowMessageBoxOn(WindowHandle, const std::string& text, const std::string& caption,
                     uint32_t) {
  SendDebugOutput("[message box] " + (caption.empty() ? std::string() : caption + ": ") + text);
  return kIdOk;
}

}  // namespace platform
