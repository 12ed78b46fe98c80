// The type library embedded in varnik.dll, read back with LoadTypeLibEx:
// every member's name, dispid, kind, vtable slot, value type and help
// string, as callers compiled against the interfaces rely on them.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "com/ComText.h"
#include "com/varnik_h.h"
#include "com_test_support.h"

namespace {

enum Kind { Put = INVOKE_PROPERTYPUT, Get = INVOKE_PROPERTYGET, Method = INVOKE_FUNC };

struct Member {
  int slot;  // position in the interface's vtable
  const char* name;
  Kind kind;
  DISPID dispid;
  VARTYPE type;  // the value a property carries; VT_EMPTY for a method without one
  const char* help;
};

const std::vector<Member> kILoader = {
    {7, "BrowserUI", Put, 1, VT_BOOL, "Show / Hide Browser UI"},
    {8, "BrowserUI", Get, 1, VT_BOOL, "Show / Hide Browser UI"},
    {9, "ProgColor", Put, 2, VT_BSTR, "Get / Set progress bar color"},
    {10, "ProgColor", Get, 2, VT_BSTR, "Get / Set progress bar color"},
    {11, "ProgBkColor", Put, 3, VT_BSTR, "Get / Set progress bar backgroung color"},
    {12, "ProgBkColor", Get, 3, VT_BSTR, "Get / Set progress bar backgroung color"},
    {13, "SetupFile", Get, 4, VT_BSTR, "Get / Set setup file name"},
    {14, "SetupFile", Put, 4, VT_BSTR, "Get / Set setup file name"},
    {15, "SetupExtFile", Get, 5, VT_BSTR, "Get / Set setup extended file name"},
    {16, "SetupExtFile", Put, 5, VT_BSTR, "Get / Set setup extended file name"},
    {17, "DomainName", Get, 6, VT_BSTR, "Get / Set domain name"},
    {18, "DomainName", Put, 6, VT_BSTR, "Get / Set domain name"},
    {19, "DomainPassword", Get, 7, VT_BSTR, "Get / Set domain password"},
    {20, "DomainPassword", Put, 7, VT_BSTR, "Get / Set domain password"},
    {21, "TkRootURL", Get, 8, VT_BSTR, "property TkRootURL"},
    {22, "TkRootURL", Put, 8, VT_BSTR, "property TkRootURL"},
    {23, "PluginExtFiles", Get, 9, VT_BSTR, "Get / Set plugin files name"},
    {24, "PluginExtFiles", Put, 9, VT_BSTR, "Get / Set plugin files name"},
    {25, "TestTypeFile", Get, 10, VT_BSTR, "Get test-type file name"},
    {26, "TestTypeFile", Put, 10, VT_BSTR, "Set test-type file name"},
    {27, "CustomTestTypesFiles", Get, 11, VT_BSTR, "Get custom test types files name"},
    {28, "CustomTestTypesFiles", Put, 11, VT_BSTR, "Set custom test types files name"},
    {29, "AdditionalParams", Get, 12, VT_BSTR, "Get / Set additional parameters"},
    {30, "AdditionalParams", Put, 12, VT_BSTR, "Get / Set additional parameters"},
    {31, "InstallationOnly", Get, 13, VT_BOOL, "Get / Set Installation Only mode"},
    {32, "InstallationOnly", Put, 13, VT_BOOL, "Get / Set Installation Only mode"},
    {33, "DownloadContentFlavor", Get, 14, VT_BSTR, "Get / Set the Download Content Flavor"},
    {34, "DownloadContentFlavor", Put, 14, VT_BSTR, "Get / Set the Download Content Flavor"},
    {35, "IsolatedDeployment", Get, 15, VT_BOOL, "Get / Set Isolated Deployment mode"},
    {36, "IsolatedDeployment", Put, 15, VT_BOOL, "Get / Set Isolated Deployment mode"},
    {37, "DeploymentLocation", Get, 16, VT_BSTR,
     "Get Deployment Location for isolated/common deployment"},
    {38, "AuthUser", Put, 17, VT_BSTR, "Set AuthUser "},
    {39, "AuthPassword", Put, 18, VT_BSTR, "Set AuthPassword "},
    {40, "AuthProxyUser", Put, 19, VT_BSTR, "Set AuthProxyUser "},
    {41, "AuthProxyPassword", Put, 20, VT_BSTR, "Set AuthProxyPassword "},
    {42, "AuthProxyURL", Put, 21, VT_BSTR, "Set AuthProxyURL "},
    {43, "AuthProxyPort", Put, 22, VT_I4, "Set AuthProxyPort "},
    {44, "AuthReserved", Put, 23, VT_BSTR, "Set AuthReserved "},
};

const std::vector<Member> kILoader2 = {
    {45, "SkipPreReqCheck", Get, 24, VT_BOOL, "Get / Set If prereq. should be checked"},
    {46, "SkipPreReqCheck", Put, 24, VT_BOOL, "Get / Set If prereq. should be checked"},
    {47, "CustomPreReqPageUrl", Get, 25, VT_BSTR, "Get / Set Custom page for missing prereq."},
    {48, "CustomPreReqPageUrl", Put, 25, VT_BSTR, "Get / Set Custom page for missing prereq."},
    {49, "MsiDeployment", Get, 26, VT_BOOL, "Get / Set If we are in the context of MSI deployment"},
    {50, "MsiDeployment", Put, 26, VT_BOOL, "Get / Set If we are in the context of MSI deployment"},
};

const std::vector<Member> kILoader3 = {
    {51, "UseZELServerVersion", Get, 27, VT_BOOL,
     "Get / Set Use ZEL server version code and deploy per-version."},
    {52, "UseZELServerVersion", Put, 27, VT_BOOL,
     "Get / Set Use ZEL server version code and deploy per-version."},
    {53, "ZELServerVersion", Get, 28, VT_BSTR,
     "Get / Set ZEL server version for per-version deployment."},
    {54, "ZELServerVersion", Put, 28, VT_BSTR,
     "Get / Set ZEL server version for per-version deployment."},
};

const std::vector<Member> kILoader4 = {
    {55, "StartByDorivizu", Put, 30, VT_BOOL, "Start by Dorivizu."},
};

const std::vector<Member> kIDeploymentHelper = {
    {7, "CreateActivationContext", Method, 1, VT_EMPTY, nullptr},
    {8, "DestroyActivationContext", Method, 2, VT_EMPTY, nullptr},
    {9, "DeploymentFolder", Put, 3, VT_BSTR, nullptr},
    {10, "DeploymentFlavor", Put, 4, VT_BSTR, nullptr},
};

const std::vector<Member> kIDeploymentHelper2 = {
    {11, "ManifestFileName", Put, 5, VT_BSTR, nullptr},
};

struct Documentation {
  std::string name;
  std::string help;
};

Documentation Document(ITypeInfo* info, MEMBERID id) {
  NVarnik::Bstr name;
  NVarnik::Bstr help;
  EXPECT_EQ(info->GetDocumentation(id, name.Out(), help.Out(), nullptr, nullptr), S_OK);
  return {NVarnik::AnsiFromBstr(name.Get()), NVarnik::AnsiFromBstr(help.Get())};
}

// The type a member carries: a put's argument, or the pointed-to type of a
// get's retval.
VARTYPE ValueType(const FUNCDESC& function) {
  if (function.cParams == 0) return VT_EMPTY;
  const ELEMDESC& first = function.lprgelemdescParam[0];
  if (function.invkind == INVOKE_PROPERTYGET) {
    EXPECT_TRUE(first.paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
    EXPECT_EQ(first.tdesc.vt, VT_PTR);
    if (first.tdesc.vt != VT_PTR) return VT_EMPTY;
    return first.tdesc.lptdesc->vt;
  }
  return first.tdesc.vt;
}

class TypeLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(VarnikDllPathW().c_str(), REGKIND_NONE, &library_), S_OK);
  }
  void TearDown() override {
    if (library_) library_->Release();
  }

  // The vtable half of a dual interface.
  ITypeInfo* VtableHalf(REFIID iid) {
    ITypeInfo* dispatch = nullptr;
    EXPECT_EQ(library_->GetTypeInfoOfGuid(iid, &dispatch), S_OK);
    if (!dispatch) return nullptr;
    HREFTYPE reference = 0;
    ITypeInfo* vtable = nullptr;
    EXPECT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference), S_OK)
        << "not a dual interface";
    dispatch->GetRefTypeInfo(reference, &vtable);
    dispatch->Release();
    return vtable;
  }

  void ExpectInterface(REFIID iid, const char* name, const char* help, const char* base,
                       const std::vector<Member>& members) {
    SCOPED_TRACE(name);
    ITypeInfo* info = VtableHalf(iid);
    ASSERT_NE(info, nullptr);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    ASSERT_EQ(attributes->cFuncs, members.size());
    EXPECT_EQ(attributes->cbSizeVft, (members.back().slot + 1) * sizeof(void*));
    info->ReleaseTypeAttr(attributes);

    const Documentation self = Document(info, MEMBERID_NIL);
    EXPECT_EQ(self.name, name);
    if (help) {
      EXPECT_EQ(self.help, help);
    }
    HREFTYPE baseReference = 0;
    ITypeInfo* baseInfo = nullptr;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &baseReference), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(baseReference, &baseInfo), S_OK);
    EXPECT_EQ(Document(baseInfo, MEMBERID_NIL).name, base);
    baseInfo->Release();

    for (size_t i = 0; i < members.size(); ++i) {
      const Member& expected = members[i];
      SCOPED_TRACE(expected.name);
      FUNCDESC* function = nullptr;
      ASSERT_EQ(info->GetFuncDesc(static_cast<UINT>(i), &function), S_OK);
      EXPECT_EQ(function->oVft / static_cast<SHORT>(sizeof(void*)), expected.slot);
      EXPECT_EQ(function->memid, expected.dispid);
      EXPECT_EQ(function->invkind, static_cast<INVOKEKIND>(expected.kind));
      EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT);
      EXPECT_EQ(ValueType(*function), expected.type);
      const Documentation documentation = Document(info, function->memid);
      EXPECT_EQ(documentation.name, expected.name);
      // Documentation is looked up by dispid, which answers for the first
      // member that carries it (the getter of TestTypeFile, for instance).
      const bool firstWithDispid = i == 0 || members[i - 1].dispid != expected.dispid;
      if (expected.help && firstWithDispid) {
        EXPECT_EQ(documentation.help, expected.help);
      }
      info->ReleaseFuncDesc(function);
    }
    info->Release();
  }

  ITypeLib* library_ = nullptr;
};

TEST_F(TypeLibraryTest, LibraryCarriesItsIdentityVersionLocaleAndHelp) {
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_VARNIKLib));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->lcid, 0x409u);
  EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  library_->ReleaseTLibAttr(attributes);
  NVarnik::Bstr name;
  NVarnik::Bstr help;
  ASSERT_EQ(library_->GetDocumentation(-1, name.Out(), help.Out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(NVarnik::AnsiFromBstr(name.Get()), "VARNIKLib");
  EXPECT_EQ(NVarnik::AnsiFromBstr(help.Get()), "ZEL-Platform-Loader Type Library");
}

TEST_F(TypeLibraryTest, LoaderInterfacesKeepTheirSlotsDispidsAndHelpStrings) {
  ExpectInterface(IID_ILoader, "ILoader", "ILoader Interface", "IDispatch", kILoader);
  ExpectInterface(IID_ILoader2, "ILoader2", "ILoader2 Interface", "ILoader", kILoader2);
  ExpectInterface(IID_ILoader3, "ILoader3", "ILoader3 Interface", "ILoader2", kILoader3);
  ExpectInterface(IID_ILoader4, "ILoader4", "ILoader4 Interface", "ILoader3", kILoader4);
}

TEST_F(TypeLibraryTest, HelperInterfacesKeepTheirSlotsAndDispids) {
  ExpectInterface(IID_IDeploymentHelper, "IDeploymentHelper", nullptr, "IDispatch",
                  kIDeploymentHelper);
  ExpectInterface(IID_IDeploymentHelper2, "IDeploymentHelper2", nullptr, "IDeploymentHelper",
                  kIDeploymentHelper2);
}

TEST_F(TypeLibraryTest, EventsAreAPureDispatchInterface) {
  struct Event {
    const char* name;
    DISPID dispid;
    std::vector<VARTYPE> arguments;
    VARTYPE result;
    const char* help;
  };
  const std::vector<Event> events = {
      {"OnReady", 1, {}, VT_HRESULT,
       "Raised when Loader finishes all it tasks and before hosted UI is instantiated"},
      {"OnUIActive", 2, {}, VT_HRESULT, "Raised when Loader instantiates hosted UI"},
      {"OnDownloadProgress", 3, {VT_INT, VT_INT, VT_BSTR}, VT_HRESULT,
       "Raised to inform about deployment progress"},
      {"OnFileDownloadProgress", 4, {VT_INT}, VT_HRESULT,
       "Raised to inform about single file download progress"},
      {"OnError", 5, {VT_BSTR}, VT_HRESULT, "Raised to inform about an error in deployment process"},
      {"OnFailure", 6, {VT_BSTR}, VT_HRESULT, "Raised when deployment process fails"},
      {"OnDownloadStart", 7, {}, VT_HRESULT, "Raised when download start"},
      {"OnSlo", 8, {}, VT_VOID, "Raised to inform about signle sign out"},
  };
  ITypeInfo* info = nullptr;
  ASSERT_EQ(library_->GetTypeInfoOfGuid(DIID_ILoaderEvents, &info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
  EXPECT_FALSE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
  const UINT functions = attributes->cFuncs;
  info->ReleaseTypeAttr(attributes);
  EXPECT_EQ(Document(info, MEMBERID_NIL).help, "ZEL-Platform-Loader Events.");
  // A dispinterface lists IDispatch's seven members before its own.
  ASSERT_GE(functions, events.size());
  const UINT first = functions - static_cast<UINT>(events.size());
  for (size_t i = 0; i < events.size(); ++i) {
    SCOPED_TRACE(events[i].name);
    FUNCDESC* function = nullptr;
    ASSERT_EQ(info->GetFuncDesc(first + static_cast<UINT>(i), &function), S_OK);
    EXPECT_EQ(function->memid, events[i].dispid);
    EXPECT_EQ(function->invkind, INVOKE_FUNC);
    EXPECT_EQ(function->elemdescFunc.tdesc.vt, events[i].result);
    ASSERT_EQ(static_cast<size_t>(function->cParams), events[i].arguments.size());
    for (size_t a = 0; a < events[i].arguments.size(); ++a) {
      EXPECT_EQ(function->lprgelemdescParam[a].tdesc.vt, events[i].arguments[a]);
    }
    const Documentation documentation = Document(info, function->memid);
    EXPECT_EQ(documentation.name, events[i].name);
    EXPECT_EQ(documentation.help, events[i].help);
    info->ReleaseFuncDesc(function);
  }
  info->Release();
}

TEST_F(TypeLibraryTest, CoclassesNameTheirDefaultAndSourceInterfaces) {
  struct Implemented {
    const char* name;
    int flags;
  };
  auto expectCoclass = [&](REFCLSID clsid, const char* name, const char* help,
                           const std::vector<Implemented>& implemented) {
    SCOPED_TRACE(name);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(library_->GetTypeInfoOfGuid(clsid, &info), S_OK);
    const Documentation documentation = Document(info, MEMBERID_NIL);
    EXPECT_EQ(documentation.name, name);
    EXPECT_EQ(documentation.help, help);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    ASSERT_EQ(attributes->cImplTypes, implemented.size());
    info->ReleaseTypeAttr(attributes);
    for (size_t i = 0; i < implemented.size(); ++i) {
      INT flags = 0;
      HREFTYPE reference = 0;
      ITypeInfo* type = nullptr;
      ASSERT_EQ(info->GetImplTypeFlags(static_cast<UINT>(i), &flags), S_OK);
      EXPECT_EQ(flags, implemented[i].flags);
      ASSERT_EQ(info->GetRefTypeOfImplType(static_cast<UINT>(i), &reference), S_OK);
      ASSERT_EQ(info->GetRefTypeInfo(reference, &type), S_OK);
      EXPECT_EQ(Document(type, MEMBERID_NIL).name, implemented[i].name);
      type->Release();
    }
    info->Release();
  };
  expectCoclass(CLSID_Loader, "Loader", "Loader Class",
                {{"ILoader4", IMPLTYPEFLAG_FDEFAULT},
                 {"ILoaderEvents", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}});
  expectCoclass(CLSID_DeploymentHelper, "DeploymentHelper", "DeploymentHelper Class",
                {{"IDeploymentHelper2", IMPLTYPEFLAG_FDEFAULT}});
}

}  // namespace
