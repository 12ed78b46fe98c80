// The Loader control of varnik.dll driven as a container and a page's
// script drive it: its members through the vtable and IDispatch, text at
// the edges (null, an embedded zero, a megabyte), and its persistence to a
// property bag and a stream, including values that do not fit.
#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control_fixture.h"
#include "message_box_watch.h"
#include "session/SessionNetwork.h"

namespace {

// The server's start script names the control's class by the identifier
// the session knows it by.
TEST(LoaderClassTest, TheSessionKnowsTheControlsClassIdentifier) {
  EXPECT_EQ(kLoaderClassId, GuidText(CLSID_Loader));
}

const std::wstring kMegabyte = L"https://" + std::wstring(1024 * 1024, L'a');

// The text properties with their dispids; the colours read back as
// numbers and the two test-type properties are not implemented.
const DISPID kTextWithGetter[] = {4, 5, 6, 7, 8, 9, 12, 14, 25, 28};
const DISPID kTextWithoutGetter[] = {17, 18, 19, 20, 21, 23};
const DISPID kColours[] = {2, 3};

VARIANT TextValue(BSTR text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return value;
}

// The text a property reads back through IDispatch, "<failed>" when the
// get fails. (Wine's ITypeInfo::Invoke hands a null BSTR on as an empty
// one; the vtable getters' null is checked directly.)
std::wstring ReadBack(IDispatch* object, DISPID id) {
  VARIANT value;
  if (FAILED(GetByDispatch(object, id, &value)) || value.vt != VT_BSTR) return L"<failed>";
  return value.bstrVal ? Taken(value.bstrVal) : std::wstring();
}

TEST_F(ControlTest, MembersAnswerWithTheSessionsResultsAndTextIsConverted) {
  ASSERT_NE(loader_, nullptr);
  BSTR text = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(loader_->get_SetupFile(&text), S_OK);
  EXPECT_EQ(text, nullptr) << "empty text is a null BSTR";
  EXPECT_EQ(loader_->get_SetupFile(nullptr), E_POINTER);
  text = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(loader_->get_DeploymentLocation(&text), E_FAIL);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(loader_->get_DeploymentLocation(nullptr), E_POINTER);
  EXPECT_EQ(loader_->get_TestTypeFile(&text), E_NOTIMPL);
  EXPECT_EQ(loader_->put_CustomTestTypesFiles(Text(L"types.xml")), E_NOTIMPL);

  EXPECT_EQ(FlagOf(loader_, &ILoader4::get_IsolatedDeployment), VARIANT_FALSE);
  EXPECT_EQ(loader_->put_IsolatedDeployment(VARIANT_TRUE), S_OK);
  EXPECT_EQ(FlagOf(loader_, &ILoader4::get_IsolatedDeployment), VARIANT_TRUE);
  EXPECT_EQ(loader_->get_MsiDeployment(nullptr), E_POINTER);

  EXPECT_EQ(loader_->put_TkRootURL(Text(L"http://server/zel//")), S_OK);
  EXPECT_EQ(TextOf(loader_, &ILoader4::get_TkRootURL), L"http://server/zel/");
  EXPECT_TRUE(Logged("INFO", "CLoader::put_TkRootURL", "Property set to: http://server/zel/"));
  EXPECT_EQ(loader_->put_ProgColor(Text(L"#FF")), S_OK);
  EXPECT_EQ(TextOf(loader_, &ILoader4::get_ProgColor), L"255");
  EXPECT_EQ(loader_->put_AuthProxyPort(8080), S_OK);
  EXPECT_TRUE(Logged("INFO", "CLoader::put_AuthProxyPort", "Property set to: 8080"));
  EXPECT_EQ(loader_->put_AuthPassword(Text(L"secret")), S_OK);
  EXPECT_EQ(LinesMentioning("secret"), 0);
  EXPECT_EQ(loader_->put_StartByDorivizu(VARIANT_TRUE), S_OK);

  // Text in the system code page both ways.
  EXPECT_EQ(loader_->put_DomainName(Text(L"Stra\u00dfe")), S_OK);
  EXPECT_EQ(TextOf(loader_, &ILoader4::get_DomainName), L"Stra\u00dfe");
}

TEST_F(ControlTest, EveryTextPropertyTakesANullAZeroInsideAndAMegabyte) {
  IDispatch* dispatch = As<IDispatch>(loader_, IID_IDispatch);
  ASSERT_NE(dispatch, nullptr);
  const std::wstring withZero(L"https://a/b\0hidden", 18);
  for (DISPID id : kTextWithGetter) {
    SCOPED_TRACE(id);
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(Text(kMegabyte))), S_OK);
    EXPECT_EQ(ReadBack(dispatch, id), kMegabyte);
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(Text(withZero))), S_OK);
    EXPECT_EQ(ReadBack(dispatch, id), L"https://a/b") << "text ends at its first zero";
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(nullptr)), S_OK);
    // An empty address is no address: CustomPreReqPageUrl keeps its value.
    EXPECT_EQ(ReadBack(dispatch, id), id == 25 ? L"https://a/b" : L"");
  }
  for (DISPID id : kTextWithoutGetter) {
    SCOPED_TRACE(id);
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(nullptr)), S_OK);
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(Text(withZero))), S_OK);
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(Text(kMegabyte))), S_OK);
    EXPECT_EQ(ReadBack(dispatch, id), L"<failed>");
  }
  for (DISPID id : kColours) {
    SCOPED_TRACE(id);
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(nullptr)), S_OK);
    EXPECT_EQ(ReadBack(dispatch, id), L"0");
    EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(Text(L"#FF\0" L"FFFF"))), S_OK);
    EXPECT_EQ(ReadBack(dispatch, id), L"255");
  }
  dispatch->Release();
}

TEST_F(ControlTest, TheDispatchInterfaceAndTheClassInformationComeFromTheTypeLibrary) {
  IDispatch* dispatch = As<IDispatch>(loader_, IID_IDispatch);
  ASSERT_NE(dispatch, nullptr);
  LPOLESTR name = const_cast<LPOLESTR>(L"AdditionalParams");
  DISPID id = 0;
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
  EXPECT_EQ(id, 12);
  EXPECT_EQ(PutByDispatch(dispatch, id, TextValue(Text(L"debugclient=true"))), S_OK);
  EXPECT_EQ(TextOf(loader_, &ILoader4::get_AdditionalParams), L"debugclient=true");
  VARIANT value;
  EXPECT_TRUE(FAILED(GetByDispatch(dispatch, 16, &value))) << "no deployment location yet";
  dispatch->Release();

  IProvideClassInfo2* info = As<IProvideClassInfo2>(loader_, IID_IProvideClassInfo2);
  ASSERT_NE(info, nullptr);
  GUID source{};
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_TRUE(IsEqualGUID(source, DIID_ILoaderEvents));
  EXPECT_EQ(info->GetGUID(7, &source), E_INVALIDARG);
  ITypeInfo* coclass = nullptr;
  ASSERT_EQ(info->GetClassInfo(&coclass), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_Loader));
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  coclass->ReleaseTypeAttr(attributes);
  coclass->Release();
  info->Release();
}

TEST_F(ControlTest, APropertyBagHandsOverWhatFitsAndLeavesTheRest) {
  TestPropertyBag bag;
  bag.SetText(L"SetupFile", L"http://srv/root/servlet/x?a=b");
  bag.SetText(L"BrowserUI", L"true");          // text for a VT_BOOL: read as one
  bag.SetInt(L"InstallationOnly", 1);          // a number for a VT_BOOL
  bag.SetText(L"IsolatedDeployment", L"maybe");  // no boolean at all
  bag.SetInt(L"TkRootURL", 42);                // a number for a VT_BSTR
  bag.SetText(L"DeploymentLocation", L"C:\\elsewhere");
  bag.SetText(L"_cy", L"tall");
  bag.SetInt(L"_cx", 1000);
  bag.SetText(L"AuthUser", L"not a PARAM");
  VARIANT unknown;
  VariantInit(&unknown);
  unknown.vt = VT_UNKNOWN;
  unknown.punkVal = &bag;
  bag.Write(L"DomainName", &unknown);

  IPersistPropertyBag* persist = As<IPersistPropertyBag>(loader_, IID_IPersistPropertyBag);
  ASSERT_NE(persist, nullptr);
  EXPECT_EQ(persist->InitNew(), S_OK);
  EXPECT_EQ(persist->Load(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(persist->Load(&bag, nullptr), S_OK);
  persist->Release();

  EXPECT_EQ(TextOf(loader_, &ILoader4::get_SetupFile), L"http://srv/root/servlet/x?a=b");
  EXPECT_EQ(FlagOf(loader_, &ILoader4::get_BrowserUI), VARIANT_TRUE);
  EXPECT_EQ(FlagOf(loader_, &ILoader4::get_InstallationOnly), VARIANT_TRUE);
  EXPECT_EQ(FlagOf(loader_, &ILoader4::get_IsolatedDeployment), VARIANT_FALSE);
  EXPECT_EQ(TextOf(loader_, &ILoader4::get_TkRootURL), L"42");
  EXPECT_EQ(TextOf(loader_, &ILoader4::get_DomainName), L"<null>");
  EXPECT_TRUE(Logged("WARNING", "CLoader::Load",
                     "IsolatedDeployment not applied (0x80070057); it keeps its value"));
  EXPECT_TRUE(debug_.Mentions("DeploymentLocation not applied"));
  EXPECT_TRUE(Logged("WARNING", "CLoader::Load", "_cy is not a size; the extent stays"));
  EXPECT_FALSE(debug_.Mentions("not a PARAM")) << "only the persisted names are read";

  IOleObject* ole = As<IOleObject>(loader_, IID_IOleObject);
  SIZEL extent{};
  EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cx, 1000);
  EXPECT_EQ(extent.cy, 5080);
  ole->Release();
}

TEST_F(ControlTest, WhatIsSavedToABagOrAStreamLoadsIntoAFreshControl) {
  ASSERT_EQ(loader_->put_SetupFile(Text(L"http://srv/zel/Setup.cab")), S_OK);
  ASSERT_EQ(loader_->put_MsiDeployment(VARIANT_TRUE), S_OK);
  ASSERT_EQ(loader_->put_AdditionalParams(Text(kMegabyte)), S_OK);
  ASSERT_EQ(loader_->put_ProgBkColor(Text(L"#00FF00")), S_OK);
  IPersistStreamInit* stream = As<IPersistStreamInit>(loader_, IID_IPersistStreamInit);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->IsDirty(), S_OK);

  TestPropertyBag bag;
  IPersistPropertyBag* persist = As<IPersistPropertyBag>(loader_, IID_IPersistPropertyBag);
  EXPECT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
  persist->Release();
  EXPECT_EQ(stream->IsDirty(), S_FALSE);
  EXPECT_EQ(bag.Value(L"_cx").vt, VT_UI4);
  EXPECT_EQ(bag.Value(L"MsiDeployment").vt, VT_BOOL);
  EXPECT_EQ(bag.Value(L"ProgBkColor").vt, VT_BSTR);
  EXPECT_EQ(Taken(SysAllocString(bag.Value(L"ProgBkColor").bstrVal)), L"65280");
  EXPECT_FALSE(bag.Holds(L"DeploymentLocation")) << "it cannot be read before start-up";
  EXPECT_FALSE(bag.Holds(L"HostByDorivizu")) << "it has no getter";

  IStream* saved = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &saved), S_OK);
  EXPECT_EQ(stream->Save(saved, TRUE), S_OK);
  ULARGE_INTEGER size{};
  EXPECT_EQ(stream->GetSizeMax(&size), S_OK);
  STATSTG stat{};
  saved->Stat(&stat, STATFLAG_NONAME);
  EXPECT_EQ(size.QuadPart, stat.cbSize.QuadPart);
  stream->Release();

  for (bool fromStream : {false, true}) {
    SCOPED_TRACE(fromStream ? "stream" : "bag");
    ILoader4* fresh = NewControl();
    ASSERT_NE(fresh, nullptr);
    if (fromStream) {
      IPersistStreamInit* load = As<IPersistStreamInit>(fresh, IID_IPersistStreamInit);
      const LARGE_INTEGER start{};
      saved->Seek(start, STREAM_SEEK_SET, nullptr);
      EXPECT_EQ(load->Load(saved), S_OK);
      load->Release();
    } else {
      IPersistPropertyBag* load = As<IPersistPropertyBag>(fresh, IID_IPersistPropertyBag);
      EXPECT_EQ(load->Load(&bag, nullptr), S_OK);
      load->Release();
    }
    EXPECT_EQ(TextOf(fresh, &ILoader4::get_SetupFile), L"http://srv/zel/Setup.cab");
    EXPECT_EQ(FlagOf(fresh, &ILoader4::get_MsiDeployment), VARIANT_TRUE);
    EXPECT_EQ(TextOf(fresh, &ILoader4::get_AdditionalParams), kMegabyte);
    EXPECT_EQ(TextOf(fresh, &ILoader4::get_ProgBkColor), L"65280");
    fresh->Release();
  }
  saved->Release();
}

// Writes bytes into a new stream, positioned at its start.
IStream* StreamOf(const std::vector<BYTE>& bytes) {
  IStream* stream = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return stream;
}

TEST_F(ControlTest, ADamagedStreamLoadsNothing) {
  ASSERT_EQ(loader_->put_SetupFile(Text(L"http://srv/zel/Setup.cab")), S_OK);
  IPersistStreamInit* persist = As<IPersistStreamInit>(loader_, IID_IPersistStreamInit);
  IStream* saved = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &saved), S_OK);
  ASSERT_EQ(persist->Save(saved, FALSE), S_OK);
  HGLOBAL memory = nullptr;
  GetHGlobalFromStream(saved, &memory);
  STATSTG stat{};
  saved->Stat(&stat, STATFLAG_NONAME);
  const BYTE* data = static_cast<const BYTE*>(GlobalLock(memory));
  const std::vector<BYTE> whole(data, data + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  saved->Release();
  persist->Release();

  // Header (12 bytes), then the extent records (2 + 4 each), then BrowserUI
  // (2 + 2), ProgColor and ProgBkColor, then SetupFile: its type, byte count
  // and text.
  std::vector<std::vector<BYTE>> damaged;
  damaged.emplace_back(whole.begin(), whole.end() - 3);  // ends inside a record
  damaged.push_back(whole);
  damaged.back()[0] = 'X';  // not this control's stream
  damaged.push_back(whole);
  damaged.back()[12] = 0x44;  // a record of a type no record has
  std::vector<BYTE> huge(whole.begin(), whole.begin() + 12);
  const BYTE hugeText[] = {VT_BSTR, 0, 0xFE, 0xFF, 0xFF, 0x7F, 'a', 0};
  huge.insert(huge.end(), hugeText, hugeText + sizeof(hugeText));  // claims 2 GB of text
  damaged.push_back(huge);

  for (const std::vector<BYTE>& bytes : damaged) {
    ILoader4* fresh = NewControl();
    IPersistStreamInit* load = As<IPersistStreamInit>(fresh, IID_IPersistStreamInit);
    IStream* stream = StreamOf(bytes);
    EXPECT_EQ(load->Load(stream), E_FAIL);
    EXPECT_EQ(TextOf(fresh, &ILoader4::get_SetupFile), L"<null>")
        << "nothing is applied from a stream that did not read whole";
    stream->Release();
    load->Release();
    fresh->Release();
  }
}

// The class's own function table goes on after ILoader4's last member: the
// session's start of the client process is slot 56. With nothing deployed it
// cannot start, says so in a box and answers the system's error.
TEST_F(ControlTest, Slot56StartsTheClientProcess) {
  using Operation = HRESULT(STDMETHODCALLTYPE*)(ILoader4*);
  const auto table = *reinterpret_cast<void* const* const*>(loader_);
  const auto runApplicationAsProcess = reinterpret_cast<Operation>(table[56]);
  MessageBoxWatch boxes;
  const HRESULT result = runApplicationAsProcess(loader_);
  EXPECT_TRUE(FAILED(result));
  EXPECT_EQ(HRESULT_FACILITY(result), FACILITY_WIN32);
  EXPECT_TRUE(Logged("INFO", "CLoader::RunApplicationAsProcess", "Entered RunApplicationAsProcess"));
  EXPECT_EQ(std::vector<std::string>{"Error|Main application process failed to start.\r\nContact "
                                     "your system administrator."},
            boxes.Seen());
}

}  // namespace
