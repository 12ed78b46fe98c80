// The URL-moniker transfer: one URL fetched into one local file, with the
// caller's callback object told about each step. win32: URLDownloadToFileA
// with a COM object that answers IBindStatusCallback, IHttpSecurity,
// IHttpNegotiate and, when offered, IAuthenticate. posix: libcurl raising
// the same callback events in the same order.
//
// Both ports refuse what Windows would hand over as a success: a reply other
// than HTTP 200 fails the transfer (the error page is never left as the
// file), and a failed transfer leaves no file at the local path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Win32Codes.h"

namespace platform {

constexpr HResult kSFalse = 1;
constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult kEAbort = static_cast<HResult>(0x80004004u);
constexpr HResult kEAccessDenied = static_cast<HResult>(0x80070005u);
constexpr HResult kInetEInvalidUrl = static_cast<HResult>(0x800C0002u);
constexpr HResult kInetECannotConnect = static_cast<HResult>(0x800C0004u);
constexpr HResult kInetEResourceNotFound = static_cast<HResult>(0x800C0005u);
constexpr HResult kInetEDownloadFailure = static_cast<HResult>(0x800C0008u);
constexpr HResult kInetEAuthenticationRequired = static_cast<HResult>(0x800C0009u);
constexpr HResult kInetEConnectionTimeout = static_cast<HResult>(0x800C000Bu);
constexpr HResult kInetESecurityProblem = static_cast<HResult>(0x800C000Eu);
constexpr HResult kInetERedirectFailed = static_cast<HResult>(0x800C0014u);
constexpr HResult kInetEInvalidCertificate = static_cast<HResult>(0x800C0019u);

// BINDSTATUS_* values the transfers report.
constexpr uint32_t kBindStatusFindingResource = 1;
constexpr uint32_t kBindStatusConnecting = 2;
constexpr uint32_t kBindStatusBeginDownloadData = 4;
constexpr uint32_t kBindStatusDownloadingData = 5;
constexpr uint32_t kBindStatusEndDownloadData = 6;
constexpr uint32_t kBindStatusSendingRequest = 11;
constexpr uint32_t kBindStatusMimeTypeAvailable = 13;

// BINDF_* flags.
constexpr uint32_t kBindfIgnoreSecurityProblem = 0x100;

// A window handle as a number; 0 is none.
using WindowHandle = uintptr_t;

// The part of BINDINFO a callback fills: the caller gives size (cbSize); a
// callback that answers sets clearAllButSize (everything but cbSize zeroed)
// and the verb.
struct BindInfo {
  uint32_t size = 0;
  bool clearAllButSize = false;
  uint32_t bindVerb = 0;  // BINDVERB_GET
};

// Why a window is asked for (IWindowForBindingUI / IHttpSecurity::GetWindow).
enum class WindowReason { HttpSecurity, Authenticate, Other };

// What IAuthenticate::Authenticate hands back; an absent text is a null
// pointer.
struct AuthenticationAnswer {
  WindowHandle window = 0;
  bool hasUser = false;
  std::string user;
  bool hasPassword = false;
  std::string password;
};

// The running transfer as IBinding offers it to the callback.
class Binding {
 public:
  virtual ~Binding() = default;
  // IBinding::Abort: the transfer ends with E_ABORT.
  virtual HResult Abort() = 0;
};

// The callback object's answers, one method per COM method.
class BindStatusCallback {
 public:
  virtual ~BindStatusCallback() = default;

  virtual HResult OnStartBinding(const std::shared_ptr<Binding>& binding) = 0;
  virtual HResult GetPriority(int32_t* priority) = 0;
  virtual HResult OnLowResource() = 0;
  virtual HResult OnProgress(uint32_t progress, uint32_t progressMax, uint32_t statusCode,
                             const std::string& statusText) = 0;
  virtual HResult OnStopBinding(HResult result, const std::string& error) = 0;
  virtual HResult GetBindInfo(uint32_t* bindFlags, BindInfo* info) = 0;
  virtual HResult OnDataAvailable() = 0;
  virtual HResult OnObjectAvailable() = 0;

  // IHttpSecurity (and its base IWindowForBindingUI).
  virtual HResult GetWindow(WindowReason reason, WindowHandle* window) = 0;
  // problem: a WinInet error (12037 date, 12038 name, 12045 unknown
  // authority, ...). S_OK: go on without that check; S_FALSE: fail.
  virtual HResult OnSecurityProblem(uint32_t problem) = 0;

  // IAuthenticate, only when offered.
  virtual bool OffersAuthentication() const = 0;
  virtual HResult Authenticate(AuthenticationAnswer& answer) = 0;
};

// URLDownloadToFileA(NULL, url, localPath, 0, callback). S_OK when the file
// holds the complete reply of an HTTP 200; otherwise a failure code and no
// file at localPath.
HResult DownloadUrlToFile(const std::string& url, const std::string& localPath,
                          BindStatusCallback& callback);

// The result a finished HTTP exchange with this status gives a transfer:
// S_OK for 200 only.
HResult HResultForHttpStatus(uint32_t status);

// GetTopWindow(NULL); 0 where there are no windows.
WindowHandle TopWindow();

// MessageBoxA(NULL, text, caption, MB_OK). posix has no desktop: the text
// goes to the debugger output in one line.
void ShowMessageBox(const std::string& text, const std::string& caption);

}  // namespace platform
