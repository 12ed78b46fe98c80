#include "hosted_fixture.h"

HostingLibrary& HostingLibrary::Get() {
  static HostingLibrary library;
  return library;
}

HostingLibrary::HostingLibrary() {
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

HWND HostingLibrary::NewHostWindow(int width, int height) const {
  return CreateWindowExW(0, L"AtlAxWin", L"", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

HostedControlTest::~HostedControlTest() {
  if (hostWindow_) DestroyWindow(hostWindow_);
  if (container_) container_->Release();
}

void HostedControlTest::Host(TestPropertyBag& params, int width, int height,
                             std::function<HRESULT()> onEvent) {
  IPersistPropertyBag* persist = As<IPersistPropertyBag>(loader_, IID_IPersistPropertyBag);
  ASSERT_NE(persist, nullptr);
  EXPECT_EQ(persist->Load(&params, nullptr), S_OK);
  persist->Release();

  IConnectionPointContainer* points =
      As<IConnectionPointContainer>(loader_, IID_IConnectionPointContainer);
  IConnectionPoint* point = nullptr;
  EXPECT_EQ(points->FindConnectionPoint(DIID_ILoaderEvents, &point), S_OK);
  points->Release();
  ASSERT_NE(point, nullptr);
  RecordingSink* sink = new RecordingSink("page", calls_);
  sink->onCall = std::move(onEvent);
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
  sink->Release();
  point->Release();

  hostWindow_ = library_.NewHostWindow(width, height);
  ASSERT_NE(hostWindow_, nullptr);
  ASSERT_EQ(library_.attach(loader_, hostWindow_, &container_), S_OK);
}

HWND HostedControlTest::ControlWindow() {
  HWND window = nullptr;
  IOleWindow* oleWindow = As<IOleWindow>(loader_, IID_IOleWindow);
  oleWindow->GetWindow(&window);
  oleWindow->Release();
  return window;
}

std::vector<ShownRow> HostedControlTest::Rows() {
  std::vector<ShownRow> rows;
  const HWND control = ControlWindow();
  for (HWND child = GetWindow(control, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    // Shown in the control, whether or not the host window is on screen.
    if (!(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    ShownRow row;
    char text[512] = {};
    GetClassNameA(child, text, sizeof(text));
    row.className = text;
    text[0] = 0;
    SendMessageA(child, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    row.text = text;
    GetWindowRect(child, &row.place);
    MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&row.place), 2);
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> HostedControlTest::Events() const {
  std::vector<std::string> events;
  for (const EventCall& call : calls_) {
    std::string event = std::to_string(call.dispid);
    for (const std::string& argument : call.arguments) event += " " + argument;
    events.push_back(event);
  }
  return events;
}

bool HostedControlTest::Heard(DISPID id) const {
  for (const EventCall& call : calls_)
    if (call.dispid == id) return true;
  return false;
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += static_cast<char>(c);
  return narrow;
}
