#include "com_test_support.h"

#include <gtest/gtest.h>

#include "com/ComText.h"
#include "platform/ProcessLauncher.h"
#include "test_files.h"

std::string VarnikDllPath() { return FromBuildMachine(VARNIK_COM_DLL); }

std::wstring VarnikDllPathW() {
  const std::string path = VarnikDllPath();
  return std::wstring(path.begin(), path.end());
}

LoadedVarnik::LoadedVarnik() {
  EXPECT_EQ(GetModuleHandleW(VarnikDllPathW().c_str()), nullptr)
      << "varnik.dll is still loaded from an earlier test";
  module_ = LoadLibraryW(VarnikDllPathW().c_str());
  EXPECT_NE(module_, nullptr) << "cannot load " << VarnikDllPath() << ": " << GetLastError();
}

LoadedVarnik::~LoadedVarnik() {
  if (module_) FreeLibrary(module_);
}

void* LoadedVarnik::Entry(const char* name) const {
  return module_ ? reinterpret_cast<void*>(GetProcAddress(module_, name)) : nullptr;
}

HRESULT LoadedVarnik::CanUnloadNow() const {
  auto entry = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
  return entry ? entry() : E_UNEXPECTED;
}

HRESULT LoadedVarnik::GetClassObject(REFCLSID clsid, REFIID iid, void** result) const {
  auto entry = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
  return entry ? entry(clsid, iid, result) : E_UNEXPECTED;
}

HRESULT LoadedVarnik::RegisterServer() const {
  auto entry = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
  return entry ? entry() : E_UNEXPECTED;
}

HRESULT LoadedVarnik::UnregisterServer() const {
  auto entry = Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer");
  return entry ? entry() : E_UNEXPECTED;
}

HRESULT LoadedVarnik::Install(BOOL install, const wchar_t* commandLine) const {
  auto entry =
      Export<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>("DllInstall");
  return entry ? entry(install, commandLine) : E_UNEXPECTED;
}

HRESULT LoadedVarnik::Create(REFCLSID clsid, REFIID iid, void** result) const {
  IClassFactory* factory = nullptr;
  HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, iid, result);
  factory->Release();
  return hr;
}

long RunAndWait(const std::string& commandLine) {
  uint32_t exitCode = 0;
  const platform::ProcessRunResult run =
      platform::RunProcessAndWait(commandLine, "", true, 120000, exitCode);
  if (run != platform::ProcessRunResult::ExitCodeRead || exitCode == platform::kStillActive) {
    return -1;
  }
  return static_cast<long>(exitCode);
}

std::string Regsvr32(const std::string& switches) {
  return "regsvr32.exe /s " + switches + " \"" + VarnikDllPath() + "\"";
}

bool KeyExists(platform::RegistryRoot root, const std::string& path) {
  platform::RegistryKey key;
  return platform::RegistryKey::Open(root, path, platform::RegistryAccess::Read, key) ==
         platform::kErrorSuccess;
}

std::string NamedValue(platform::RegistryRoot root, const std::string& path,
                       const std::string& name) {
  platform::RegistryKey key;
  std::string text;
  if (platform::RegistryKey::Open(root, path, platform::RegistryAccess::Read, key) !=
          platform::kErrorSuccess ||
      key.ReadString(name, text) != platform::kErrorSuccess) {
    return "<missing>";
  }
  return text;
}

std::string DefaultValue(platform::RegistryRoot root, const std::string& path) {
  return NamedValue(root, path, "");
}

bool RunningOnWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string TakeErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  NVarnik::Bstr description;
  info->GetDescription(description.Out());
  info->Release();
  return NVarnik::AnsiFromBstr(description.Get());
}

std::string GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return NVarnik::AnsiFromBstr(NVarnik::Bstr(SysAllocString(text)).Get());
}
