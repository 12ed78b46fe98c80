// The Loader control activated in a container site of the test: the
// session's dialog window becomes its in-place window and start-up runs on
// the container's thread; events the session raises reach every connected
// sink once, whatever the sinks do; Close and a site taken away end the
// window.
#include <windows.h>
#include <ocidl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control_fixture.h"
#include "recording_sink.h"
#include "test_site.h"

namespace {

constexpr UINT kWmLoaderInitFailed = 0x4CB;
constexpr UINT kWmLoaderSlo = 0x7EA;  // single sign-out: OnSlo
const char kInitializationFailed[] =
    "Initialization has failed. Contact your system administrator.\r\n"
    "For details, see the Loader log file.";

class ActivationTest : public ControlTest {
 protected:
  ActivationTest() {
    site_ = new TestSite(facts_, TestSite::Offers{}, host_, journal_);
    ole_ = As<IOleObject>(loader_, IID_IOleObject);
  }
  ~ActivationTest() override {
    if (ole_) ole_->Release();
    site_->Release();
  }

  // Sited and activated in place; the control's window.
  // Activates the control and lets its start-up run before the test goes
  // on (without a SetupFile it stops at once, showing why).
  HWND Activate(LONG verb) {
    EXPECT_EQ(ole_->SetClientSite(site_), S_OK);
    EXPECT_EQ(ole_->DoVerb(verb, nullptr, site_, 0, host_, &site_->position), S_OK);
    HWND window = nullptr;
    IOleWindow* oleWindow = As<IOleWindow>(loader_, IID_IOleWindow);
    EXPECT_EQ(oleWindow->GetWindow(&window), S_OK);
    oleWindow->Release();
    Pump();
    return window;
  }

  RecordingSink* Connect(const char* name, DWORD& cookie) {
    IConnectionPointContainer* container =
        As<IConnectionPointContainer>(loader_, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    EXPECT_EQ(container->FindConnectionPoint(DIID_ILoaderEvents, &point), S_OK);
    RecordingSink* sink = new RecordingSink(name, calls_);
    EXPECT_EQ(point->Advise(sink, &cookie), S_OK);
    sink->Release();  // the connection holds it
    point->Release();
    container->Release();
    return sink;
  }

  std::vector<std::string> SinksCalled() const {
    std::vector<std::string> names;
    for (const EventCall& call : calls_) names.push_back(call.sink);
    return names;
  }

  TestPageFacts facts_{L"http://intranet/zel/", nullptr, 1, nullptr, 1, 1, {}};
  std::vector<std::string> journal_;
  std::vector<EventCall> calls_;
  TestSite* site_ = nullptr;
  IOleObject* ole_ = nullptr;
};

TEST_F(ActivationTest, TheSessionWindowIsTheInPlaceWindowAndStartUpRunsOnTheContainersLoop) {
  ASSERT_EQ(loader_->put_BrowserUI(VARIANT_TRUE), S_OK);
  HWND window = Activate(OLEIVERB_SHOW);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(journal_, (std::vector<std::string>{"OnInPlaceActivate", "OnUIActivate"}));
  char className[64] = {};
  GetClassNameA(window, className, sizeof(className));
  EXPECT_STREQ(className, "VarnikWindow");
  EXPECT_EQ(GetParent(window), host_);
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE);
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, host_, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_TRUE(EqualRect(&rect, &site_->position));
  // OnHostStart found the browser through the site and switched its bars off.
  EXPECT_EQ(facts_.menuBarShown, 0);
  EXPECT_EQ(facts_.toolBarShown, 0);
  // ... and posted the next stage, which the container's loop runs.
  EXPECT_TRUE(PumpUntil([&] { return debug_.Mentions("CLoader::OnStartSetup"); }));

  // A clip rectangle smaller than the position shows only the clipped part.
  IOleInPlaceObject* inPlace = As<IOleInPlaceObject>(loader_, IID_IOleInPlaceObject);
  const RECT position{10, 20, 210, 120};
  const RECT clip{10, 20, 110, 120};
  EXPECT_EQ(inPlace->SetObjectRects(&position, &clip), S_OK);
  RECT region{};
  EXPECT_EQ(GetWindowRgnBox(window, &region), SIMPLEREGION);
  EXPECT_EQ(region.right - region.left, 100);
  EXPECT_EQ(inPlace->SetObjectRects(&position, &position), S_OK);
  EXPECT_EQ(GetWindowRgnBox(window, &region), ERROR) << "no region once nothing is clipped";
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(inPlace->SetObjectRects(nullptr, &clip), E_POINTER);
  inPlace->Release();

  journal_.clear();
  EXPECT_EQ(ole_->Close(OLECLOSE_NOSAVE), S_OK);
  EXPECT_EQ(journal_, (std::vector<std::string>{"OnUIDeactivate", "OnInPlaceDeactivate"}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ole_->SetClientSite(nullptr), S_OK);
}

TEST_F(ActivationTest, SessionEventsReachEverySinkOnceWhateverTheSinksDo) {
  HWND window = Activate(OLEIVERB_INPLACEACTIVATE);
  ASSERT_NE(window, nullptr);
  DWORD cookie = 0;
  DWORD selfCookie = 0;
  Connect("fails", cookie)->onCall = [] { return E_FAIL; };
  Connect("throws", cookie)->onCall = []() -> HRESULT { throw std::runtime_error("broken"); };
  bool selfGone = false;
  RecordingSink* self = Connect("self", selfCookie);
  self->destroyed = &selfGone;
  self->onCall = [&] {
    // Disconnects itself while it is being called: only the call holds it.
    IConnectionPointContainer* container =
        As<IConnectionPointContainer>(loader_, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    container->FindConnectionPoint(DIID_ILoaderEvents, &point);
    EXPECT_EQ(point->Unadvise(selfCookie), S_OK);
    EXPECT_FALSE(selfGone);
    point->Release();
    container->Release();
    return S_OK;
  };
  Connect("last", cookie);

  // Start-up has already shown its own failure (no SetupFile) before the
  // sinks were connected.
  const int firedBefore = LinesMentioning("Fire_OnFailure(message=");
  PostMessageW(window, kWmLoaderInitFailed, 0, 0);
  Pump();
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"fails", "throws", "self", "last"}));
  EXPECT_TRUE(selfGone);
  for (const EventCall& call : calls_) {
    EXPECT_EQ(call.dispid, 6);
    EXPECT_EQ(call.arguments, std::vector<std::string>{std::string("bstr:") + kInitializationFailed});
  }
  EXPECT_EQ(LinesMentioning("Fire_OnFailure(message="), firedBefore + 1)
      << "the session writes the line once";
  // The failure is a row of the control's window: the text, then the
  // details start-up's failure left in the report.
  HWND row = GetWindow(window, GW_CHILD);
  char text[1024] = {};
  GetWindowTextA(row, text, sizeof(text));
  EXPECT_EQ(std::string(text).rfind(kInitializationFailed, 0), 0u) << text;
}

TEST_F(ActivationTest, ASinkMayDropTheControlsLastReferenceWhileAMessageRaisesItsEvent) {
  HWND window = Activate(OLEIVERB_INPLACEACTIVATE);
  ASSERT_NE(window, nullptr);
  ole_->Release();
  ole_ = nullptr;
  DWORD cookie = 0;
  Connect("drops", cookie)->onCall = [&] {
    loader_->Release();
    loader_ = nullptr;
    return S_OK;
  };
  Connect("next", cookie);
  // The session shows the failure after raising it: the control must still
  // be there when the event returns.
  PostMessageW(window, kWmLoaderInitFailed, 0, 0);
  Pump();
  EXPECT_EQ(SinksCalled(), (std::vector<std::string>{"drops", "next"}));
  EXPECT_TRUE(debug_.Mentions("hWndStatic created"));
  EXPECT_FALSE(debug_.Mentions("CreateWindowEx [hWndStatic] failed"));
  EXPECT_FALSE(IsWindow(window)) << "the control went after the message, with its window";
  EXPECT_EQ(varnik_.CanUnloadNow(), S_OK);
}

TEST_F(ActivationTest, TakingTheSiteAwayEndsTheWindowOnceAndQuickActivationConnectsTheSink) {
  IQuickActivate* quick = As<IQuickActivate>(loader_, IID_IQuickActivate);
  RecordingSink* sink = new RecordingSink("quick", calls_);
  QACONTAINER container{};
  container.cbSize = sizeof(container);
  container.pClientSite = site_;
  container.pUnkEventSink = sink;
  QACONTROL control{};
  control.cbSize = sizeof(control);
  EXPECT_EQ(quick->QuickActivate(&container, &control), S_OK);
  sink->Release();
  EXPECT_EQ(control.dwMiscStatus, 131473u);
  EXPECT_NE(control.dwEventCookie, 0u);
  QACONTROL tooShort{};
  tooShort.cbSize = 4;
  EXPECT_EQ(quick->QuickActivate(&container, &tooShort), E_INVALIDARG);
  quick->Release();

  IOleClientSite* given = nullptr;
  EXPECT_EQ(ole_->GetClientSite(&given), S_OK);
  EXPECT_EQ(given, static_cast<IOleClientSite*>(site_));
  given->Release();
  EXPECT_EQ(ole_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_, 0, host_, nullptr), S_OK);
  HWND window = nullptr;
  IOleWindow* oleWindow = As<IOleWindow>(loader_, IID_IOleWindow);
  EXPECT_EQ(oleWindow->GetWindow(&window), S_OK);
  // Start-up stops at once without a SetupFile; the sink hears its failure.
  Pump();
  EXPECT_EQ(SinksCalled(), std::vector<std::string>{"quick"});
  calls_.clear();

  PostMessageW(window, kWmLoaderSlo, 0, 0);
  Pump();
  EXPECT_EQ(SinksCalled(), std::vector<std::string>{"quick"});

  journal_.clear();
  EXPECT_EQ(ole_->SetClientSite(nullptr), S_OK);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(journal_, (std::vector<std::string>{"OnUIDeactivate", "OnInPlaceDeactivate"}));
  EXPECT_EQ(ole_->GetClientSite(&given), S_OK);
  EXPECT_EQ(given, nullptr);
  EXPECT_EQ(oleWindow->GetWindow(&window), E_FAIL);
  journal_.clear();
  EXPECT_EQ(ole_->SetClientSite(nullptr), S_OK);
  EXPECT_TRUE(journal_.empty()) << "a second call without a site does nothing";
  oleWindow->Release();
}

}  // namespace
