// The Loader control hosted in Wine's ATL host window: a whole deployment
// from the sample platform (wnbin/hosted, made by make-hosted-content.sh) on
// the host's message loop, the client it starts, the start of the client
// through the class's own table from the container, and the page going
// away with the client running; a start-up that cannot reach its server;
// the control created by its ProgID from a saved stream.
#include <windows.h>
#include <ocidl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hosted_fixture.h"
#include "infra/RecursiveDirDelete.h"
#include "sample_platform.h"
#include "test_files.h"
#include "trusted_root.h"

namespace {

// What start-up shows when the main descriptor cannot be had.
const char kSetupNotFetched[] =
    "Initialization has failed. Contact your system administrator.\r\n"
    "For details, see the Loader log file.\r\n\r\nFailure details:\r\n"
    "Failed to download this file - Setup.cab\r\n";

// The components of wnbin/hosted in descriptor order: description and
// place in the deployment folder.
const std::vector<std::pair<std::string, std::string>> kComponents = {
    {"Hosted test client", "client.exe"},
    {"First component", "bin\\first.dll"},
    {"Second component", "bin\\second.dll"},
    {"Third component", "lib\\third.dll"}};

// The events with each run of file progress reports cut to its last one.
std::vector<std::string> WithoutRepeatedFileProgress(const std::vector<std::string>& events) {
  std::vector<std::string> kept;
  for (const std::string& event : events) {
    const bool fileProgress = event.rfind("4 ", 0) == 0;
    if (fileProgress && !kept.empty() && kept.back().rfind("4 ", 0) == 0) {
      kept.back() = event;
    } else {
      kept.push_back(event);
    }
  }
  return kept;
}

// A client process the test watches, ended by the test when it outlives it.
class WatchedProcess {
 public:
  explicit WatchedProcess(DWORD id)
      : handle_(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                            FALSE, id)) {}
  ~WatchedProcess() {
    if (!handle_) return;
    if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(handle_, 99);
      WaitForSingleObject(handle_, 10000);
    }
    CloseHandle(handle_);
  }
  WatchedProcess(const WatchedProcess&) = delete;
  WatchedProcess& operator=(const WatchedProcess&) = delete;

  bool IsOpen() const { return handle_ != nullptr; }
  // The exit code once it has ended within the time, else -1.
  long ExitCodeWithin(DWORD milliseconds) const {
    DWORD code = 0;
    if (!handle_ || WaitForSingleObject(handle_, milliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(handle_, &code))
      return -1;
    return static_cast<long>(code);
  }

 private:
  HANDLE handle_;
};

// The window a test client of that process made; other tests' clients may
// run at the same time.
HWND ClientWindow(DWORD processId) {
  for (HWND window = FindWindowExA(nullptr, nullptr, "VarnikTestClient", nullptr); window;
       window = FindWindowExA(nullptr, window, "VarnikTestClient", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId) return window;
  }
  return nullptr;
}

// A whole deployment below the user's application data, which is cleared
// before and after; the platform's CA is trusted for the signatures.
class HostedDeploymentTest : public HostedControlTest {
 protected:
  HostedDeploymentTest()
      : trust_(FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CA"))), root_(AppData()) {
    RecursiveDirDelete(root_);
  }
  ~HostedDeploymentTest() override {
    // A client still running is ended before the page goes, so the page's
    // close does not wait for it.
    clients_.clear();
    if (hostWindow_) DestroyWindow(hostWindow_);
    hostWindow_ = nullptr;
    Pump();
    RecursiveDirDelete(root_);
  }

  static std::string AppData() {
    // "%AppData%" of a descriptor is the user's local application data.
    char folder[MAX_PATH] = {};
    GetEnvironmentVariableA("LOCALAPPDATA", folder, MAX_PATH);
    return std::string(folder) + "\\VarnikHostedControl";
  }

  // The page of wnbin/hosted with its PARAMs, in a host window of its own.
  void Visit(std::function<HRESULT()> onEvent = [] { return S_OK; }) {
    const std::string server = PlatformRoot() + "/hosted";
    TestPropertyBag params;
    params.SetText(L"TkRootURL", Wide(server + "/"));
    params.SetText(L"SetupFile", Wide(server + "/setup/VuvoViziz_setup.cab"));
    params.SetText(L"IsolatedDeployment", L"true");
    Host(params, 480, 240, std::move(onEvent));
  }
  // Until the session has started the client and the client has
  // registered its window, or the page heard of a failure.
  bool AwaitClientStarted() {
    const bool ended = PumpUntil(
        [&] {
          folder_ = Narrow(TextOf(loader_, &ILoader4::get_DeploymentLocation));
          return Heard(6) || (folder_ != "<failed>" && ClientRecord().size() >= 4);
        },
        120);
    EXPECT_FALSE(Heard(6)) << Events().back();
    return ended && !Heard(6);
  }

  // The client's record beside it: its process id, working folder and
  // command line, then "registered" and "WM_CLOSE" as they happen.
  std::vector<std::string> ClientRecord() const {
    std::vector<std::string> lines;
    std::istringstream text(ReadTestFile(folder_ + "\\client-record.txt"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }
  // Waits for a record of at least that many lines; watches its process.
  std::vector<std::string> AwaitClient(size_t lines) {
    std::vector<std::string> record;
    EXPECT_TRUE(PumpUntil([&] { return (record = ClientRecord()).size() >= lines; }, 30));
    if (!record.empty()) clients_.push_back(std::make_unique<WatchedProcess>(std::stoul(record[0])));
    return record;
  }

  TrustedRoot trust_;
  const std::string root_;
  std::string folder_;  // the deployment folder, once start-up made it
  std::vector<std::unique_ptr<WatchedProcess>> clients_;
};

TEST_F(HostedDeploymentTest, AWholeDeploymentRunsOnTheHostWindowsLoopAndStartsTheClient) {
  ASSERT_TRUE(library_.Ready()) << "atl.dll with AtlAxWinInit and AtlAxAttachControl";
  // The rows the page shows at the first file progress report of each step.
  std::vector<std::vector<ShownRow>> shown;
  bool stepAnnounced = false;
  Visit([&] {
    if (calls_.back().dispid == 3) stepAnnounced = true;
    if (calls_.back().dispid == 4 && stepAnnounced) {
      stepAnnounced = false;
      shown.push_back(Rows());
    }
    return S_OK;
  });
  const HWND window = ControlWindow();
  ASSERT_NE(window, nullptr) << "activated in place by the host";
  ASSERT_TRUE(AwaitClientStarted());

  std::vector<std::string> expected = {"7"};
  for (size_t step = 0; step < kComponents.size(); ++step) {
    expected.push_back("3 i4:" + std::to_string(step + 1) + " i4:4 bstr:" + kComponents[step].first);
    expected.push_back("4 i4:100");
  }
  expected.push_back("1");
  EXPECT_EQ(expected, WithoutRepeatedFileProgress(Events()));

  // While a file came in: the total, the overall bar, the component's
  // status line and its bar, each in the middle half of the control.
  ASSERT_EQ(shown.size(), kComponents.size());
  RECT area{};
  GetClientRect(window, &area);
  for (size_t step = 0; step < shown.size(); ++step) {
    std::vector<std::string> rows;
    for (const ShownRow& row : shown[step]) {
      rows.push_back(row.className + "|" + row.text);
      EXPECT_EQ(row.place.left, area.right / 4) << row.text;
      EXPECT_EQ(row.place.right - row.place.left, area.right / 2) << row.text;
      EXPECT_GE(row.place.top, 0);
      EXPECT_LE(row.place.bottom, area.bottom);
    }
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "Static|Download " + kComponents[step].first + " in progress ...",
                        "Static|Total progress " + std::to_string((step + 1) * 25) + "%",
                        "msctls_progress32|", "msctls_progress32|"}))
        << "step " << step;
  }
  for (const ShownRow& row : Rows())
    EXPECT_NE(row.className, "msctls_progress32") << "the transfer rows go when it is done";

  // The files as served, the record of the deployment beside the folder.
  for (const auto& component : kComponents) {
    const std::string name = component.second.substr(component.second.find('\\') + 1);
    const std::string placed = ReadTestFile(folder_ + "\\" + component.second);
    EXPECT_FALSE(placed.empty()) << component.second;
    EXPECT_TRUE(placed == ReadTestFile(ServedFile("wnbin/hosted/setup/" + name)))
        << component.second;
  }
  EXPECT_TRUE(PathExists(folder_ + "\\merged-VuvoViziz_setup.ini"));
  const std::string descriptor = ReadTestFile(root_ + "\\Client\\Deployments.ini");
  EXPECT_NE(descriptor.find("Folder=" + folder_), std::string::npos) << descriptor;

  // The client runs from the deployment folder inside the control's window.
  std::vector<std::string> record = AwaitClient(4);
  ASSERT_GE(record.size(), 4u);
  EXPECT_EQ(record[3], "registered");
  EXPECT_NE(record[2].find(" Mode=\"close\" "), std::string::npos) << record[2];
  EXPECT_NE(record[2].find("PARENT_WINDOW_HANDLE=\"" +
                           std::to_string(reinterpret_cast<uintptr_t>(window)) + "\""),
            std::string::npos)
      << record[2];

  // The container starts the client again through slot 56 of the class's
  // table, once the first one has ended.
  const HWND first = ClientWindow(std::stoul(record[0]));
  ASSERT_NE(first, nullptr);
  PostMessageA(first, WM_CLOSE, 0, 0);
  EXPECT_EQ(clients_.back()->ExitCodeWithin(20000), 5);
  DeleteFileA((folder_ + "\\client-record.txt").c_str());
  using Operation = HRESULT(STDMETHODCALLTYPE*)(ILoader4*);
  const auto table = *reinterpret_cast<void* const* const*>(loader_);
  EXPECT_EQ(reinterpret_cast<Operation>(table[56])(loader_), S_OK);
  const std::vector<std::string> again = AwaitClient(4);
  ASSERT_GE(again.size(), 4u);
  EXPECT_NE(again[0], record[0]) << "a new process";
  EXPECT_EQ(LinesMentioning("Entered RunApplicationAsProcess"), 2);

  // The page goes: the host's window closes the control, whose end asks
  // the registered client to close and waits for it.
  DestroyWindow(hostWindow_);
  hostWindow_ = nullptr;
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(clients_.back()->ExitCodeWithin(20000), 5);
  EXPECT_EQ(ClientRecord().back(), "WM_CLOSE");
  EXPECT_TRUE(debug_.Contains("CLoader::OnDestroy completed."));
}

// A later visit of the page finds the deployment recorded: nothing but the
// descriptor is fetched again, and the client starts from the same folder.
TEST_F(HostedDeploymentTest, ALaterVisitStartsTheRecordedClientWithoutFetchingItAgain) {
  ASSERT_TRUE(library_.Ready());
  Visit();
  ASSERT_TRUE(AwaitClientStarted());
  const std::string first = folder_;
  const std::vector<std::string> record = AwaitClient(4);
  ASSERT_FALSE(record.empty());
  // The page goes, and the client with it.
  DestroyWindow(hostWindow_);
  hostWindow_ = nullptr;
  EXPECT_EQ(clients_.back()->ExitCodeWithin(20000), 5);
  container_->Release();
  container_ = nullptr;
  loader_->Release();
  loader_ = NewControl();
  calls_.clear();
  DeleteFileA((folder_ + "\\client-record.txt").c_str());

  const ServedRequestLog served;
  Visit();
  ASSERT_TRUE(AwaitClientStarted());
  EXPECT_EQ(folder_, first);
  EXPECT_EQ(Events(), (std::vector<std::string>{"7", "1"}));
  const std::vector<std::string> again = AwaitClient(4);
  ASSERT_FALSE(again.empty());
  EXPECT_NE(again[0], record[0]) << "a new process";
  EXPECT_TRUE(served.Requested("/setup/VuvoViziz_setup.cab"));
  for (const std::string& request : served.Requests()) {
    EXPECT_EQ(request.find(".dll"), std::string::npos) << request;
    EXPECT_EQ(request.find("client.exe"), std::string::npos) << request;
  }
}

// Start-up's failure (no server answers at this address) reaches the
// page's sink and the control's window; the host sizes and closes the
// control.
TEST_F(HostedControlTest, AStartUpWithoutItsServerShowsItsFailureInTheHostWindow) {
  ASSERT_TRUE(library_.Ready()) << "atl.dll with AtlAxWinInit and AtlAxAttachControl";
  TestPropertyBag params;
  params.SetText(L"SetupFile", L"http://127.0.0.1:9/zel/Setup.cab");
  params.SetText(L"TkRootURL", L"http://127.0.0.1:9/zel/");
  params.SetText(L"AdditionalParams", L"debugclient=true");
  params.SetText(L"IsolatedDeployment", L"true");
  Host(params, 480, 240);
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
  EXPECT_NE(std::string::npos,
            events.front().find("http://127.0.0.1:9/zel/Setup.cab - Failed to download this file."))
      << events.front();
  const std::vector<ShownRow> rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].text, kSetupNotFetched);

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
