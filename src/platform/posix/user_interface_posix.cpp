// posix has no desktop: no top window, and a message box is one line of
// the debugger output.
#include "platform/DebugOutput.h"
#include "platform/UrlMoniker.h"

namespace platform {

WindowHandle TopWindow() { return 0; }

void ShowMessageBox(const std::string& text, const std::string& caption) {
  SendDebugOutput("[message box] " + (caption.empty() ? std::string() : caption + ": ") + text);
}

}  // namespace platform
