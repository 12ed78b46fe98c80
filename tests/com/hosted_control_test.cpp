// The Loader control in a container nobody here wrote: the host window of
// Wine's control-hosting library (atl.dll, "AtlAxWin"), found with
// GetProcAddress. The page's PARAM values reach the control through a
// property bag before it is attached, a page sink is connected, and the
// session runs on the container's message loop.
#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control_fixture.h"
#include "recording_sink.h"

namespace {

// What start-up shows when the main descriptor cannot be had.
const char kSetupNotFetched[] =
    "Initialization has failed. Contact your system administrator.\r\n"
    "For details, see the Loader log file.\r\n\r\nFailure details:\r\n"
    "Failed to download this file - Setup.cab\r\n";

// atl.dll, loaded once for the process: its window class stays registered
// and must not outlive its code.
class HostingLibrary {
 public:
  using AttachControl = HRESULT(WINAPI*)(IUnknown* control, HWND window, IUnknown** container);
  using CreateControl = HRESULT(WINAPI*)(LPCOLESTR name, HWND window, IStream* stream,
                                         IUnknown** container);
  using GetControl = HRESULT(WINAPI*)(HWND window, IUnknown** control);

  static HostingLibrary& Get() {
    static HostingLibrary library;
    return library;
  }

  bool Ready() const { return attach && create && getControl && initialized_; }

  // A host window of the library's class, with no control yet.
  HWND NewHostWindow(int width, int height) const {
    return CreateWindowExW(0, L"AtlAxWin", L"", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }

  AttachControl attach = nullptr;
  CreateControl create = nullptr;
  GetControl getControl = nullptr;

 private:
  HostingLibrary() {
    HMODULE module = LoadLibraryW(L"atl.dll");
    if (!module) return;
    auto entry = [module](const char* name) {
      return reinterpret_cast<void*>(GetProcAddress(module, name));
    };
    auto init = reinterpret_cast<BOOL(WINAPI*)()>(entry("AtlAxWinInit"));
    attach = reinterpret_cast<AttachControl>(entry("AtlAxAttachControl"));
    create = reinterpret_cast<CreateControl>(entry("AtlAxCreateControl"));
    getControl = reinterpret_cast<GetControl>(entry("AtlAxGetControl"));
    // AtlAxWinInit initialises OLE for the thread and never ends it; each
    // test's apartment must end with its test.
    initialized_ = init && init();
    if (initialized_) OleUninitialize();
  }
  bool initialized_ = false;
};

class HostedControlTest : public ControlTest {
 protected:
  HostedControlTest() : library_(HostingLibrary::Get()) {}
  ~HostedControlTest() override {
    if (hostWindow_) DestroyWindow(hostWindow_);
    if (container_) container_->Release();
  }

  HWND ControlWindow() {
    HWND window = nullptr;
    IOleWindow* oleWindow = As<IOleWindow>(loader_, IID_IOleWindow);
    oleWindow->GetWindow(&window);
    oleWindow->Release();
    return window;
  }

  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    for (const EventCall& call : calls_) {
      std::string event = std::to_string(call.dispid);
      for (const std::string& argument : call.arguments) event += " " + argument;
      events.push_back(event);
    }
    return events;
  }

  HostingLibrary& library_;
  HWND hostWindow_ = nullptr;
  IUnknown* container_ = nullptr;
  std::vector<EventCall> calls_;
};

// Start-up runs on the container's loop with the page's PARAMs, and its
// failure (no server answers at this address) reaches the page's sink and
// the control's window. The deployment itself is the later stages'; when
// they land, this is the test to extend: give SetupFile and TkRootURL of a
// served sample platform and wait for OnReady.
TEST_F(HostedControlTest, TheSessionRunsOnTheHostWindowsLoopWithThePageParamsAndSink) {
  ASSERT_TRUE(library_.Ready()) << "atl.dll with AtlAxWinInit and AtlAxAttachControl";
  TestPropertyBag params;
  params.SetText(L"SetupFile", L"http://127.0.0.1:9/zel/Setup.cab");
  params.SetText(L"TkRootURL", L"http://127.0.0.1:9/zel/");
  params.SetText(L"AdditionalParams", L"debugclient=true");
  params.SetText(L"IsolatedDeployment", L"true");
  IPersistPropertyBag* persist = As<IPersistPropertyBag>(loader_, IID_IPersistPropertyBag);
  ASSERT_EQ(persist->Load(&params, nullptr), S_OK);
  persist->Release();

  IConnectionPointContainer* points =
      As<IConnectionPointContainer>(loader_, IID_IConnectionPointContainer);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(points->FindConnectionPoint(DIID_ILoaderEvents, &point), S_OK);
  RecordingSink* sink = new RecordingSink("page", calls_);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
  sink->Release();
  point->Release();
  points->Release();

  hostWindow_ = library_.NewHostWindow(480, 240);
  ASSERT_NE(hostWindow_, nullptr);
  ASSERT_EQ(library_.attach(loader_, hostWindow_, &container_), S_OK);
  const HWND window = ControlWindow();
  ASSERT_NE(window, nullptr) << "activated in place by the host";
  EXPECT_EQ(GetParent(window), hostWindow_);
  RECT host{}, control{};
  GetClientRect(hostWindow_, &host);
  GetClientRect(window, &control);
  EXPECT_EQ(control.right, host.right);
  EXPECT_EQ(control.bottom, host.bottom);

  EXPECT_TRUE(Logged("INFO", "CLoader::put_AdditionalParams", "Property set to: debugclient=true"));
  EXPECT_TRUE(PumpUntil([&] {
    return Logged("ERROR", "CLoader::HandleInitializationRuntimeError",
                  "Runtime error while starting application setup.");
  }));
  EXPECT_TRUE(Logged("INFO", "CLoader::OnStartSetup", "Debug mode requested."));

  // The page's sink heard the failed download, then the failure; the text
  // can be read back from the control's window.
  const std::vector<std::string> events = Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(std::string("6 bstr:") + kSetupNotFetched, events.back());
  EXPECT_NE(std::string::npos, events.front().find("http://127.0.0.1:9/zel/Setup.cab - Failed to download this file."))
      << events.front();
  char row[512] = {};
  GetWindowTextA(GetWindow(window, GW_CHILD), row, sizeof(row));
  EXPECT_STREQ(row, kSetupNotFetched);

  // The host gives the control every new size.
  SetWindowPos(hostWindow_, nullptr, 0, 0, 640, 360, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  GetClientRect(hostWindow_, &host);
  GetClientRect(window, &control);
  EXPECT_EQ(control.right, host.right);
  EXPECT_EQ(control.bottom, host.bottom);

  // Destroying the host closes the control and takes its site away.
  DestroyWindow(hostWindow_);
  hostWindow_ = nullptr;
  EXPECT_FALSE(IsWindow(window));
  IOleObject* ole = As<IOleObject>(loader_, IID_IOleObject);
  IOleClientSite* site = reinterpret_cast<IOleClientSite*>(1);
  EXPECT_EQ(ole->GetClientSite(&site), S_OK);
  EXPECT_EQ(site, nullptr);
  ole->Release();
}

class RegisteredHostedControlTest : public HostedControlTest {
 protected:
  void SetUp() override { ASSERT_EQ(RunAndWait(Regsvr32("")), 0); }
  void TearDown() override { EXPECT_EQ(RunAndWait(Regsvr32("/u")), 0); }
};

TEST_F(RegisteredHostedControlTest, TheHostCreatesTheControlByItsProgIdFromASavedStream) {
  ASSERT_TRUE(library_.Ready());
  ASSERT_EQ(loader_->put_SetupFile(Text(L"http://127.0.0.1/zel/Setup.cab")), S_OK);
  ASSERT_EQ(loader_->put_UseZELServerVersion(VARIANT_TRUE), S_OK);
  IPersistStreamInit* persist = As<IPersistStreamInit>(loader_, IID_IPersistStreamInit);
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
  persist->Release();
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);

  hostWindow_ = library_.NewHostWindow(320, 200);
  ASSERT_NE(hostWindow_, nullptr);
  EXPECT_EQ(library_.create(L"ZEL-Platform-Loader16.00", hostWindow_, stream, &container_), S_OK);
  stream->Release();
  IUnknown* created = nullptr;
  ASSERT_EQ(library_.getControl(hostWindow_, &created), S_OK);
  ILoader4* hosted = As<ILoader4>(created, IID_ILoader4);
  created->Release();
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(TextOf(hosted, &ILoader4::get_SetupFile), L"http://127.0.0.1/zel/Setup.cab");
  EXPECT_EQ(FlagOf(hosted, &ILoader4::get_UseZELServerVersion), VARIANT_TRUE);
  HWND window = nullptr;
  IOleWindow* oleWindow = As<IOleWindow>(hosted, IID_IOleWindow);
  EXPECT_EQ(oleWindow->GetWindow(&window), S_OK);
  EXPECT_EQ(GetParent(window), hostWindow_);
  oleWindow->Release();
  hosted->Release();
  DestroyWindow(hostWindow_);
  hostWindow_ = nullptr;
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
