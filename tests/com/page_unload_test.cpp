// The control's subscription to the window events of the page around it,
// made as the session will make it once the client's UI is up: the page's
// onunload takes the control off its site, which ends its window. The
// control is made in this program (varnik_com), so the session's side of
// the subscription can be called directly; the page window's events are a
// connection point of the test's.
#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/CLoaderControl.h"
#include "com/ComObject.h"
#include "com/ConnectionPointContainer.h"
#include "com_test_support.h"
#include "debug_output_capture.h"
#include "platform/MessageLoop.h"
#include "test_machine.h"
#include "test_site.h"

namespace {

const IID kHtmlWindowEvents2 = {0x3050f625, 0x98b5, 0x11cf,
                                {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
constexpr DISPID kOnLoad = 1003;
constexpr DISPID kOnUnload = 1008;

class PageWindowEvents : public NVarnik::ConnectionPointContainer<PageWindowEvents> {
 public:
  static const NVarnik::InterfaceEntry* InterfaceMap() {
    static const NVarnik::InterfaceEntry map[] = {
        NVarnik::Entry<PageWindowEvents, IConnectionPointContainer>(
            IID_IConnectionPointContainer),
        {}};
    return map;
  }
  PageWindowEvents() : point(static_cast<IConnectionPointContainer*>(this), kHtmlWindowEvents2) {}
  virtual ~PageWindowEvents() = default;
  std::vector<NVarnik::ConnectionPoint*> ConnectionPoints() { return {&point}; }

  size_t Connections() {
    IEnumConnections* connections = nullptr;
    point.EnumConnections(&connections);
    CONNECTDATA data[4] = {};
    ULONG fetched = 0;
    connections->Next(4, data, &fetched);
    for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
    connections->Release();
    return fetched;
  }
  void Raise(DISPID id) {
    NVarnik::EventArguments none(&NVarnik::BstrFromAnsi);
    point.Fire(id, none);
  }

  NVarnik::ConnectionPoint point;
};

class PageUnloadTest : public MachineTest {
 protected:
  PageUnloadTest() {
    host_ = CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                            nullptr, nullptr, nullptr);
    NVarnik::ComObject<PageWindowEvents>::Create(IID_IConnectionPointContainer,
                                                 reinterpret_cast<void**>(&pageEvents_));
    page_ = static_cast<PageWindowEvents*>(pageEvents_);
    facts_.windowEvents = pageEvents_;
    NVarnik::ComObject<CLoaderControl>::Create(IID_IOleObject, reinterpret_cast<void**>(&ole_));
    control_ = static_cast<CLoaderControl*>(ole_);
  }
  ~PageUnloadTest() override {
    if (ole_) ole_->Release();
    pageEvents_->Release();
    DestroyWindow(host_);
  }

  // Sited on a page that offers its document (or not) and activated.
  HWND Activate(bool offersDocument) {
    TestSite* site = new TestSite(facts_, TestSite::Offers{false, false, offersDocument}, host_,
                                  journal_);
    EXPECT_EQ(ole_->SetClientSite(site), S_OK);
    EXPECT_EQ(ole_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, host_, nullptr), S_OK);
    site->Release();
    HWND window = nullptr;
    control_->GetWindow(&window);
    return window;
  }

  ComApartment apartment_;
  DebugOutputCapture debug_;
  HWND host_ = nullptr;
  IConnectionPointContainer* pageEvents_ = nullptr;
  PageWindowEvents* page_ = nullptr;
  TestPageFacts facts_{nullptr, L"http://zel.intranet/", 1, nullptr, 1, 1, {}};
  std::vector<std::string> journal_;
  IOleObject* ole_ = nullptr;
  CLoaderControl* control_ = nullptr;
};

TEST_F(PageUnloadTest, ThePagesUnloadTakesTheControlOffItsSiteAndEndsItsWindow) {
  HWND window = Activate(true);
  ASSERT_NE(window, nullptr);
  LoaderHost& host = *control_;
  EXPECT_TRUE(host.SubscribeToPageUnload());
  EXPECT_EQ(page_->Connections(), 1u);

  page_->Raise(kOnLoad);
  EXPECT_TRUE(IsWindow(window)) << "only onunload ends the control";

  journal_.clear();
  page_->Raise(kOnUnload);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(journal_, std::vector<std::string>{"OnInPlaceDeactivate"});
  EXPECT_EQ(page_->Connections(), 0u) << "the page's window is let go";
  IOleClientSite* site = reinterpret_cast<IOleClientSite*>(1);
  EXPECT_EQ(ole_->GetClientSite(&site), S_OK);
  EXPECT_EQ(site, nullptr);
  EXPECT_TRUE(debug_.Mentions("The page unloads; the control leaves its site."));

  // The control can be sited and activated again, with a new window.
  HWND again = Activate(true);
  EXPECT_NE(again, nullptr);
  EXPECT_TRUE(IsWindow(again));
}

TEST_F(PageUnloadTest, AContainerThatTakesTheSiteAwayEndsTheSubscription) {
  Activate(true);
  LoaderHost& host = *control_;
  ASSERT_TRUE(host.SubscribeToPageUnload());
  EXPECT_TRUE(host.SubscribeToPageUnload()) << "subscribing again replaces the subscription";
  EXPECT_EQ(page_->Connections(), 1u);
  EXPECT_EQ(ole_->SetClientSite(nullptr), S_OK);
  EXPECT_EQ(page_->Connections(), 0u);
}

TEST_F(PageUnloadTest, APageWithoutADocumentOffersNoSubscription) {
  Activate(false);
  LoaderHost& host = *control_;
  EXPECT_FALSE(host.SubscribeToPageUnload());
  EXPECT_EQ(page_->Connections(), 0u);
  // The document's window without window events.
  ole_->SetClientSite(nullptr);
  facts_.windowEvents = nullptr;
  Activate(true);
  EXPECT_FALSE(host.SubscribeToPageUnload());
}

// A client window records the WM_CLOSE the control's end sends it.
LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    SetWindowTextA(window, "asked to close");
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(PageUnloadTest, ThePagesUnloadAsksTheRegisteredClientToCloseAndEndsTheSession) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ClientWindowProc;
  windowClass.lpszClassName = "VarnikUnloadClient";
  RegisterClassA(&windowClass);
  HWND client = CreateWindowA("VarnikUnloadClient", "client", WS_OVERLAPPED, 0, 0, 50, 50,
                              nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(client, nullptr);
  HWND window = Activate(true);
  // WM_USER + 1000: the client's window, as a started client sends it.
  SendMessageA(window, WM_USER + 1000, reinterpret_cast<WPARAM>(client), 0);
  LoaderHost& host = *control_;
  ASSERT_TRUE(host.SubscribeToPageUnload());
  page_->Raise(kOnUnload);
  EXPECT_FALSE(IsWindow(window));
  char text[32] = {};
  GetWindowTextA(client, text, sizeof(text));
  EXPECT_STREQ("asked to close", text);
  EXPECT_TRUE(debug_.Contains("CLoader::OnDestroy completed."));
  DestroyWindow(client);
}

}  // namespace
