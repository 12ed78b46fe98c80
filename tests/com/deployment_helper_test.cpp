// The activation-context helper from C++, made by varnik.dll's class
// object, with real manifests in a deployment folder: the context it makes
// is the thread's active one, and every refusal reaches the caller with its
// text. Contexts are made on threads of their own, so a failing test cannot
// leave one active on the test's thread.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "com/CLoaderControl.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"
#include "com/ComText.h"
#include "com/varnik_h.h"
#include "com_test_support.h"
#include "platform/FileSystem.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

constexpr HRESULT kIllegalMethodCall = static_cast<HRESULT>(0x8000000EL);

std::string Manifest(const std::string& file) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
         "  <assemblyIdentity type=\"win32\" name=\"ZEL.Client\" version=\"1.0.0.0\"/>\r\n"
         "  <file name=\"" + file + "\"/>\r\n"
         "</assembly>\r\n";
}

// True when the thread's active context redirects the library name.
bool Redirects(const wchar_t* library) {
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof(data);
  return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, library,
                                  &data) != FALSE;
}

bool AnyContextActive() {
  HANDLE current = nullptr;
  if (!GetCurrentActCtx(&current) || !current) return false;
  ReleaseActCtx(current);
  return true;
}

void OnFreshThread(const std::function<void()>& body) {
  std::thread thread([&] {
    ComApartment apartment;
    body();
  });
  thread.join();
}

HRESULT Put(HRESULT (STDMETHODCALLTYPE IDeploymentHelper2::*setter)(BSTR), IDeploymentHelper2* helper,
            const std::string& text) {
  NVarnik::Bstr value(NVarnik::BstrFromAnsi(text));
  return (helper->*setter)(value.Get());
}

class DeploymentHelperTest : public MachineTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(varnik_.Create(CLSID_DeploymentHelper, IID_IDeploymentHelper2,
                             reinterpret_cast<void**>(&helper_)),
              S_OK);
    folder_ = machine_.ScratchFolder() + "\\deployment";
    ASSERT_EQ(platform::CreateDirectoryWithParents(folder_), platform::kErrorSuccess);
  }
  void TearDown() override {
    if (helper_) helper_->Release();
  }

  HRESULT SetFolder(IDeploymentHelper2* helper, const std::string& folder) {
    return Put(&IDeploymentHelper2::put_DeploymentFolder, helper, folder);
  }
  void WriteManifest(const std::string& name, const std::string& library) {
    ASSERT_TRUE(WriteTestFile(folder_ + "\\" + name, Manifest(library)));
  }

  LoadedVarnik varnik_;
  ComApartment apartment_;
  IDeploymentHelper2* helper_ = nullptr;
  std::string folder_;
};

TEST_F(DeploymentHelperTest, TheManifestsContextIsActiveUntilItIsDestroyed) {
  WriteManifest("ZEL-Client.exe.manifest", "zelclient.dll");
  OnFreshThread([&] {
    ASSERT_EQ(SetFolder(helper_, folder_), S_OK);
    ASSERT_FALSE(Redirects(L"zelclient.dll"));
    ASSERT_EQ(helper_->CreateActivationContext(), S_OK);
    EXPECT_TRUE(Redirects(L"zelclient.dll"));
    EXPECT_EQ(helper_->CreateActivationContext(), kIllegalMethodCall);
    EXPECT_EQ(TakeErrorDescription(), "Cannot create an Activation Context, it is already created");
    EXPECT_EQ(helper_->DestroyActivationContext(), S_OK);
    EXPECT_FALSE(Redirects(L"zelclient.dll"));
    EXPECT_FALSE(AnyContextActive());
  });
}

TEST_F(DeploymentHelperTest, AnotherManifestNameIsTakenFromTheSameFolder) {
  WriteManifest("ZEL-Client.exe.manifest", "default.dll");
  WriteManifest("Site.manifest", "site.dll");
  OnFreshThread([&] {
    ASSERT_EQ(Put(&IDeploymentHelper2::put_ManifestFileName, helper_, "Site.manifest"), S_OK);
    ASSERT_EQ(Put(&IDeploymentHelper2::put_DeploymentFlavor, helper_, "SiteAdmin"), S_OK);
    ASSERT_EQ(SetFolder(helper_, folder_ + "\\"), S_OK);
    ASSERT_EQ(helper_->CreateActivationContext(), S_OK);
    EXPECT_TRUE(Redirects(L"site.dll"));
    EXPECT_FALSE(Redirects(L"default.dll"));
    EXPECT_EQ(helper_->DestroyActivationContext(), S_OK);
  });
}

TEST_F(DeploymentHelperTest, WithoutAFolderCreationIsRefusedWithItsText) {
  EXPECT_EQ(helper_->CreateActivationContext(), kIllegalMethodCall);
  EXPECT_EQ(TakeErrorDescription(), "Must set Deployment Folder before creating activation context");
  EXPECT_EQ(helper_->DestroyActivationContext(), E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), "There is no activation context to destroy");
  EXPECT_FALSE(AnyContextActive());
}

TEST_F(DeploymentHelperTest, AMissingManifestFailsAndBlocksCreationUntilDestroyed) {
  ASSERT_EQ(SetFolder(helper_, folder_), S_OK);
  EXPECT_EQ(helper_->CreateActivationContext(), E_FAIL);
  EXPECT_NE(TakeErrorDescription().find("ZEL-Client.exe.manifest"), std::string::npos);
  EXPECT_EQ(helper_->CreateActivationContext(), kIllegalMethodCall);
  EXPECT_EQ(helper_->DestroyActivationContext(), E_FAIL);
  EXPECT_FALSE(AnyContextActive());

  WriteManifest("ZEL-Client.exe.manifest", "zelclient.dll");
  OnFreshThread([&] {
    EXPECT_EQ(helper_->CreateActivationContext(), S_OK);
    EXPECT_EQ(helper_->DestroyActivationContext(), S_OK);
  });
}

TEST_F(DeploymentHelperTest, OnlyTheInnermostContextIsEndedButTheHelperForgetsItAnyway) {
  WriteManifest("ZEL-Client.exe.manifest", "zelclient.dll");
  const std::string otherFolder = machine_.ScratchFolder() + "\\other";
  ASSERT_EQ(platform::CreateDirectoryWithParents(otherFolder), platform::kErrorSuccess);
  ASSERT_TRUE(WriteTestFile(otherFolder + "\\ZEL-Client.exe.manifest", Manifest("other.dll")));
  IDeploymentHelper2* inner = nullptr;
  ASSERT_EQ(varnik_.Create(CLSID_DeploymentHelper, IID_IDeploymentHelper2,
                           reinterpret_cast<void**>(&inner)),
            S_OK);
  OnFreshThread([&] {
    ASSERT_EQ(SetFolder(helper_, folder_), S_OK);
    ASSERT_EQ(SetFolder(inner, otherFolder), S_OK);
    ASSERT_EQ(helper_->CreateActivationContext(), S_OK);
    ASSERT_EQ(inner->CreateActivationContext(), S_OK);
    EXPECT_EQ(helper_->DestroyActivationContext(), E_FAIL);
    EXPECT_TRUE(Redirects(L"other.dll"));
    EXPECT_EQ(inner->DestroyActivationContext(), S_OK);
    // The outer context stays on this thread; the helper starts afresh.
    EXPECT_TRUE(Redirects(L"zelclient.dll"));
    EXPECT_EQ(helper_->CreateActivationContext(), S_OK);
    EXPECT_EQ(helper_->DestroyActivationContext(), S_OK);
  });
  // Another thread never has the helper's context as its own.
  OnFreshThread([&] { ASSERT_EQ(helper_->CreateActivationContext(), S_OK); });
  OnFreshThread([&] { EXPECT_EQ(helper_->DestroyActivationContext(), E_FAIL); });
  inner->Release();
}

TEST_F(DeploymentHelperTest, BadTextIsRefusedOrFailsWithoutHarm) {
  EXPECT_EQ(helper_->put_DeploymentFolder(nullptr), S_OK);
  EXPECT_EQ(helper_->CreateActivationContext(), kIllegalMethodCall);

  NVarnik::Bstr withZero(SysAllocStringLen(L"C:\\a\0b", 6));
  EXPECT_EQ(helper_->put_DeploymentFolder(withZero.Get()), E_INVALIDARG);
  EXPECT_EQ(TakeErrorDescription(), "The deployment folder must not contain a zero character");
  EXPECT_EQ(helper_->put_ManifestFileName(withZero.Get()), E_INVALIDARG);
  EXPECT_EQ(helper_->put_DeploymentFlavor(withZero.Get()), S_OK);
  EXPECT_EQ(helper_->CreateActivationContext(), kIllegalMethodCall) << "the folder stays unset";

  EXPECT_EQ(SetFolder(helper_, "C:\\" + std::string(1 << 20, 'x')), S_OK);
  EXPECT_EQ(helper_->CreateActivationContext(), E_FAIL);
  EXPECT_EQ(helper_->DestroyActivationContext(), E_FAIL);
  EXPECT_FALSE(AnyContextActive());
}

TEST_F(DeploymentHelperTest, ScriptsReachTheHelperThroughItsTypeLibrary) {
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(helper_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  const wchar_t* names[] = {L"CreateActivationContext", L"DestroyActivationContext",
                            L"DeploymentFolder", L"deploymentflavor", L"ManifestFileName"};
  for (DISPID expected = 1; expected <= 5; ++expected) {
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(names[expected - 1]);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, expected);
  }
  LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  UINT count = 0;
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &info), DISP_E_BADINDEX);

  // A property put, as a script makes it; a number is converted to text.
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = 12;
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS put{&value, &putId, 1, 1};
  EXPECT_EQ(dispatch->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put,
                             nullptr, nullptr, nullptr),
            S_OK);
  value.vt = VT_DISPATCH;
  value.pdispVal = nullptr;
  UINT badArgument = 99;
  const HRESULT refused = dispatch->Invoke(3, IID_NULL, LOCALE_USER_DEFAULT,
                                           DISPATCH_PROPERTYPUT, &put, nullptr, nullptr,
                                           &badArgument);
  EXPECT_TRUE(refused == DISP_E_TYPEMISMATCH || refused == DISP_E_BADVARTYPE) << refused;

  // The folder "12" holds no manifest: the failure comes back as an
  // exception with the helper's text.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXCEPINFO exception{};
  EXPECT_EQ(dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                             &exception, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(exception.scode, E_FAIL);
  EXPECT_NE(NVarnik::AnsiFromBstr(exception.bstrDescription).find("CreateActCtxA failed for '12\\"),
            std::string::npos);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrHelpFile);

  EXPECT_EQ(dispatch->Invoke(99, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                             nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(dispatch->Invoke(2, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none,
                             nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
  dispatch->Release();
}

// The control makes the helper for the client it hosts, with the client's
// manifest, and ends the context when its session asks.
TEST_F(DeploymentHelperTest, TheControlMakesTheHostedClientsContext) {
  WriteManifest("VuvoViziz.manifest", "vuvoviziz.dll");
  OnFreshThread([&] {
    NVarnik::ComPtr<IOleObject> control;
    ASSERT_EQ(NVarnik::ComObject<CLoaderControl>::Create(IID_IOleObject, control.Out()), S_OK);
    LoaderHost& host = *static_cast<CLoaderControl*>(control.Get());
    platform::HResult result = E_UNEXPECTED;
    EXPECT_FALSE(host.DestroyActivationContext(result)) << "no helper yet";
    ASSERT_TRUE(host.CreateActivationContext(folder_, "VuvoViziz.manifest", result));
    EXPECT_EQ(result, S_OK);
    EXPECT_TRUE(Redirects(L"vuvoviziz.dll"));
    ASSERT_TRUE(host.DestroyActivationContext(result));
    EXPECT_EQ(result, S_OK);
    EXPECT_FALSE(AnyContextActive());
    EXPECT_FALSE(host.DestroyActivationContext(result)) << "the helper went with its context";
    ASSERT_TRUE(host.CreateActivationContext(folder_, "Missing.manifest", result));
    EXPECT_EQ(result, E_FAIL);
  });
}

}  // namespace
