// IObjectSafety of the Loader control: the page around the control's site
// (its browser's location or its document's address, and the zone the
// site's security manager gives it) decides whether the options may be
// set. Allowed: http and https pages of the local intranet and the trusted
// sites; nothing else.
#include <windows.h>
#include <objsafe.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control_fixture.h"
#include "test_site.h"

namespace {

constexpr DWORD kBoth = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
const char kLocation[] = "CSiteLock<class CLoader>::InApprovedDomain";
const char kRefused[] = "Attempt to initialize ZEL-PLATFORM-LOADER ActiveX out of allowed zone.";
const char kAllowed[] = "ActiveX loaded for allowed zone.";

class SiteLockTest : public ControlTest {
 protected:
  // The control on a site for the page; its IObjectSafety.
  IObjectSafety* Sited(TestSite::Offers offers) {
    TestSite* site = new TestSite(facts_, offers, nullptr, journal_);
    IOleObject* ole = As<IOleObject>(loader_, IID_IOleObject);
    EXPECT_EQ(ole->SetClientSite(site), S_OK);
    ole->Release();
    site->Release();
    return As<IObjectSafety>(loader_, IID_IObjectSafety);
  }

  // Whether the page may switch scripting safety on, as a browser asks.
  bool Approved(IObjectSafety* safety) {
    const HRESULT set =
        safety->SetInterfaceSafetyOptions(IID_IDispatch, kBoth, INTERFACESAFE_FOR_UNTRUSTED_CALLER);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, kBoth);
    EXPECT_EQ(enabled, SUCCEEDED(set) ? static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER) : 0u);
    return set == S_OK;
  }

  TestPageFacts facts_{nullptr, nullptr, -1, nullptr, 1, 1, {}};
  std::vector<std::string> journal_;
};

TEST_F(SiteLockTest, OnlyHttpAndHttpsPagesOfTheIntranetAndTrustedZonesAreApproved) {
  struct Case {
    const wchar_t* url;
    long zone;
    bool approved;
  };
  const Case cases[] = {
      {L"http://zel.intranet/zel/start.jsp", 0, false},
      {L"http://zel.intranet/zel/start.jsp", 1, true},
      {L"http://zel.intranet/zel/start.jsp", 2, true},
      {L"http://zel.example.com/zel/", 3, false},
      {L"http://zel.example.com/zel/", 4, false},
      {L"https://zel.intranet:8443/zel/", 0, false},
      {L"https://zel.intranet:8443/zel/", 1, true},
      {L"https://zel.intranet:8443/zel/", 2, true},
      {L"https://zel.example.com/", 3, false},
      {L"https://zel.example.com/", 4, false},
      {L"file:///C:/pages/start.html", 0, false},
      {L"file:///C:/pages/start.html", 1, false},
      {L"file:///C:/pages/start.html", 2, false},
      {L"HTTP://zel.intranet/", 1, false},  // the scheme compares exactly
  };
  for (size_t index = 0; index < sizeof(cases) / sizeof(cases[0]); ++index) {
    const Case& test = cases[index];
    SCOPED_TRACE(testing::Message() << "case " << index);
    ILoader4* fresh = NewControl();
    std::swap(fresh, loader_);
    facts_.browserUrl = test.url;
    facts_.zone = test.zone;
    const int refusedBefore = LinesMentioning(kRefused);
    const int allowedBefore = LinesMentioning(kAllowed);
    IObjectSafety* safety = Sited(TestSite::Offers{});
    EXPECT_EQ(Approved(safety), test.approved);
    EXPECT_EQ(std::wstring(facts_.zoneAskedFor), test.url) << "the zone of the page's own address";
    EXPECT_EQ(LinesMentioning(kRefused) > refusedBefore, !test.approved);
    EXPECT_EQ(LinesMentioning(kAllowed) > allowedBefore, test.approved);
    safety->Release();
    std::swap(fresh, loader_);
    fresh->Release();
  }
  EXPECT_TRUE(Logged("ERROR", kLocation, kRefused));
  EXPECT_TRUE(Logged("INFO", kLocation, kAllowed));
}

TEST_F(SiteLockTest, WithoutAnAddressOrAZoneThePageIsNotApprovedAndNothingIsLogged) {
  facts_.zone = 1;
  // The browser has no location and there is no document.
  IObjectSafety* safety = Sited(TestSite::Offers{});
  EXPECT_FALSE(Approved(safety));
  safety->Release();
  // No security manager for the zone.
  facts_.browserUrl = L"http://zel.intranet/";
  safety = Sited(TestSite::Offers{true, false, false});
  EXPECT_FALSE(Approved(safety));
  safety->Release();
  // No site at all.
  IOleObject* ole = As<IOleObject>(loader_, IID_IOleObject);
  EXPECT_EQ(ole->SetClientSite(nullptr), S_OK);
  ole->Release();
  safety = As<IObjectSafety>(loader_, IID_IObjectSafety);
  EXPECT_FALSE(Approved(safety));
  safety->Release();
  EXPECT_EQ(LinesMentioning(kLocation), 0);
}

TEST_F(SiteLockTest, WithoutTheBrowserServiceTheDocumentGivesTheAddress) {
  facts_.documentUrl = L"https://zel.intranet/zel/";
  facts_.zone = 2;
  IObjectSafety* safety = Sited(TestSite::Offers{false, true, true});
  EXPECT_TRUE(Approved(safety));
  EXPECT_EQ(std::wstring(facts_.zoneAskedFor), L"https://zel.intranet/zel/");
  safety->Release();
}

TEST_F(SiteLockTest, TheOptionsFollowTheRulesOfTheInterface) {
  facts_.browserUrl = L"http://zel.example.com/";
  facts_.zone = 3;
  IObjectSafety* safety = Sited(TestSite::Offers{});
  DWORD supported = 7, enabled = 7;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled),
            E_NOINTERFACE);
  EXPECT_EQ(supported, 0u);
  EXPECT_EQ(enabled, 0u);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IClassFactory, 1, 1), E_NOINTERFACE);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, 4, 4), E_FAIL);
  // Options that do not change need no approval, even out of the zones.
  const int checks = LinesMentioning(kLocation);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, kBoth, 0), S_OK);
  EXPECT_EQ(LinesMentioning(kLocation), checks);
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, kBoth, kBoth), E_FAIL);

  // Once the page is in the zones, the options set are reported.
  facts_.zone = 2;
  EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, kBoth, kBoth), S_OK);
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(enabled, kBoth);
  facts_.zone = 4;
  EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
  EXPECT_EQ(enabled, 0u) << "the page moved out of the zones";
  safety->Release();
}

}  // namespace
