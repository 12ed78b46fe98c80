// A control created by its ProgID inside a window of the loader: the
// client's user interface hosted in the control window.
//
// win32: the host window of the system's control-hosting library
// ("AtlAxWin" of atl.dll, which is loaded when first needed and kept for the
// process: its window class must not outlive its code). The host window is a
// child filling the parent's client area; the control is created in it by
// AtlAxCreateControl and reached through AtlAxGetControl and IDispatch. OLE
// is initialised on the calling thread for as long as the object lives.
// posix: there is no COM, so no control can be hosted; ControlHostingSupported
// is false and Create fails with E_NOTIMPL.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Win32Codes.h"
#include "platform/WindowSystem.h"

namespace platform {

bool ControlHostingSupported();

class HostedControl {
 public:
  // The control named by progId in a new host window, a child of parent.
  // Null, with result set to the failure, when it cannot be made.
  static std::unique_ptr<HostedControl> Create(WindowHandle parent, const std::string& progId,
                                               HResult& result);
  virtual ~HostedControl() = default;

  // The host window (0 once it is gone).
  virtual WindowHandle Window() const = 0;

  // IDispatch::GetIDsOfNames with LOCALE_SYSTEM_DEFAULT.
  virtual HResult FindProperty(const std::string& name, int32_t& dispatchId) = 0;
  // IDispatch::Invoke(DISPATCH_PROPERTYPUT) with one VT_BSTR argument named
  // DISPID_PROPERTYPUT. On failure errorText is the control's description of
  // the error, else the system's text for the result.
  virtual HResult PutProperty(int32_t dispatchId, const std::string& value,
                              std::string& errorText) = 0;
};

}  // namespace platform
