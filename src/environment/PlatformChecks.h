// The start-up sequence's questions about the machine and the browser: is
// the operating system supported, what is a user without rights told, is
// the browser in protected mode, is the server a trusted site, which
// browser version does the page report. The answers and log lines only;
// what start-up does with them is its own. The log locations are the
// control's. (The cached administrator answer is the session's:
// SessionSettings::UserIsAdmin.)
#pragma once

#include <string>

#include "environment/EnvironmentSettings.h"
#include "platform/Win32Codes.h"

// Resource strings of the messages for users without sufficient rights.
namespace AdminMessage {
constexpr int kRequiresAdministrator = 113;
constexpr int kRequiresAdministratorAndNoUac = 120;
constexpr int kRequiresNoUac = 121;
constexpr int kRunAsAdministrator = 127;
constexpr int kRunAsAdministratorContact = 128;
}  // namespace AdminMessage

class PlatformChecks {
 public:
  explicit PlatformChecks(const EnvironmentSettings& settings);

  // Checked for isolated deployments only: Windows XP from SP3, Windows 7
  // workstations from SP1 and Windows 10 workstations; everything else is
  // refused, some of it with a log line saying why.
  bool IsSupportedOSVersion();

  // The text that tells a user without sufficient rights what to do,
  // chosen by Windows version and process elevation.
  void GetErrorMsgMissingAdminPermitions(std::string& message);

  // The browser's protected-mode answer; a browser without the function
  // counts as not protected (S_OK, false).
  platform::HResult IsIeInProtectedMode(bool& protectedMode);

  // True when TkRootURL maps to the trusted-sites zone, or when there is no
  // security manager to ask.
  bool IsServerInTrustedZone();

  // Logs the "ieversion=" the page passed and warns about version 7.
  void VerifySupportedBrowser(const std::string& additionalParams);

 private:
  // IEIsProtectedModeProcess through a wrapper that loads the library on
  // demand; S_OK and E_NOTIMPL answers are kept, others asked again.
  platform::HResult ProtectedModeProcess(bool& protectedMode);

  const EnvironmentSettings& settings_;
  bool protectedModeKnown_ = false;
  bool protectedModeAnswer_ = false;
  platform::HResult protectedModeResult_ = platform::kENotImpl;
};
