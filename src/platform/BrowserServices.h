// What the loader asks of the browser's own services: the protected-mode
// answer of "ieframe.dll" and the Internet security manager's zone of a URL.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Win32Codes.h"

namespace platform {

// IEIsProtectedModeProcess of "ieframe.dll", which is loaded for the call
// and released again. kENotImpl with protectedMode false when the library
// or the function is missing; otherwise the function's own result. posix:
// machine.ini's [browser] ie_protected_mode stands for the library.
HResult QueryIeProtectedMode(bool& protectedMode);

// The zones MapUrlToZone answers.
constexpr uint32_t kZoneLocalMachine = 0;
constexpr uint32_t kZoneIntranet = 1;
constexpr uint32_t kZoneTrusted = 2;
constexpr uint32_t kZoneInternet = 3;

enum class ZoneLookup {
  NoSecurityManager,  // the security manager could not be created
  Mapped,             // zone holds the answer
  Failed,             // MapUrlToZone refused the URL
};

// The standard Internet security manager (CoCreateInstance, any context) is
// asked for the URL's zone (MapUrlToZone without flags; the URL converted
// to UTF-16 from the thread's code page). posix: machine.ini's [zones]
// table, loopback hosts in the local intranet zone unless listed, a file
// URL on this computer, other hosts in the Internet zone.
ZoneLookup MapUrlToZone(const std::string& url, uint32_t& zone);

// ShellExecuteA(no window, "open", page, shown normally): the user's browser
// opens the page. False, with the last error set, when the system refused.
// posix: there is no shell to ask; false with kErrorNotSupported.
bool OpenPage(const std::string& page);

}  // namespace platform
