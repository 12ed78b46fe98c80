// The Loader control in a container nobody here wrote: the host window of
// Wine's control-hosting library (atl.dll, "AtlAxWin"), found with
// GetProcAddress. The page's PARAM values reach the control through a
// property bag before it is attached, and a page sink is connected.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include "control_fixture.h"
#include "recording_sink.h"

// atl.dll, loaded once for the process: its window class stays registered
// and must not outlive its code.
class HostingLibrary {
 public:
  using AttachControl = HRESULT(WINAPI*)(IUnknown* control, HWND window, IUnknown** container);
  using CreateControl = HRESULT(WINAPI*)(LPCOLESTR name, HWND window, IStream* stream,
                                         IUnknown** container);
  using GetControl = HRESULT(WINAPI*)(HWND window, IUnknown** control);

  static HostingLibrary& Get();

  bool Ready() const { return attach && create && getControl && initialized_; }
  // A host window of the library's class, with no control yet.
  HWND NewHostWindow(int width, int height) const;

  AttachControl attach = nullptr;
  CreateControl create = nullptr;
  GetControl getControl = nullptr;

 private:
  HostingLibrary();
  bool initialized_ = false;
};

// One child window of the control as the page shows it: its class, its
// text (WM_GETTEXT) and its place in the control's client area
// (GetWindowRect).
struct ShownRow {
  std::string className;
  std::string text;
  RECT place;
};

class HostedControlTest : public ControlTest {
 protected:
  HostedControlTest() : library_(HostingLibrary::Get()) {}
  ~HostedControlTest() override;

  // Hands the page's PARAMs to the control, connects the page's sink (which
  // answers what onEvent answers, after recording the event) and attaches
  // the control to a new host window, which activates it in place.
  void Host(TestPropertyBag& params, int width, int height,
            std::function<HRESULT()> onEvent = [] { return S_OK; });

  HWND ControlWindow();
  // The control's child windows that are shown (WS_VISIBLE).
  std::vector<ShownRow> Rows();
  // "dispid arguments..." of every event the page's sink heard.
  std::vector<std::string> Events() const;
  bool Heard(DISPID id) const;

  HostingLibrary& library_;
  HWND hostWindow_ = nullptr;
  IUnknown* container_ = nullptr;
  std::vector<EventCall> calls_;
};

// The narrow text of wide ASCII text.
std::string Narrow(const std::wstring& text);
