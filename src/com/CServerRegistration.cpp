#include "com/CServerRegistration.h"

#include <objbase.h>
#include <oleauto.h>

#include "com/CRegistryScript.h"
#include "com/ComModule.h"
#include "com/ComText.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/Registry.h"

// oleaut32 exports these, but the MinGW headers do not declare them.
extern "C" {
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* typeLib, OLECHAR* path, OLECHAR* helpFolder);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libraryId, WORD major, WORD minor, LCID locale,
                                      SYSKIND kind);
}

namespace {

constexpr char kRegisterLocation[] = "CServerRegistration::Register";
constexpr char kUnregisterLocation[] = "CServerRegistration::Unregister";

HRESULT FromWin32(platform::Win32Error error) {
  return HRESULT_FROM_WIN32(static_cast<unsigned long>(error));
}

HRESULT LoadLibraryFile(const std::wstring& path, ITypeLib** typeLib) {
  return LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib);
}

HRESULT RegisterTypeLibrary(const std::wstring& path, bool perUser) {
  ITypeLib* typeLib = nullptr;
  HRESULT result = LoadLibraryFile(path, &typeLib);
  if (FAILED(result)) return result;
  std::wstring pathCopy = path;
  result = perUser ? RegisterTypeLibForUser(typeLib, &pathCopy[0], nullptr)
                   : RegisterTypeLib(typeLib, &pathCopy[0], nullptr);
  typeLib->Release();
  return result;
}

bool IsTypeLibraryRegistered(const TLIBATTR& library, bool perUser) {
  wchar_t guid[40] = {};
  if (StringFromGUID2(library.guid, guid, 40) == 0) return true;
  std::string text;
  if (!NVarnik::AnsiFromWideExactly(guid, text)) return true;
  const std::string path = Format("Software\\Classes\\TypeLib\\%s\\%x.%x", text.c_str(),
                                  library.wMajorVerNum, library.wMinorVerNum);
  platform::RegistryKey key;
  return platform::RegistryKey::Open(perUser ? platform::RegistryRoot::CurrentUser
                                             : platform::RegistryRoot::LocalMachine,
                                     path, platform::RegistryAccess::Read,
                                     key) != platform::kErrorFileNotFound;
}

HRESULT UnregisterTypeLibrary(const std::wstring& path, bool perUser) {
  ITypeLib* typeLib = nullptr;
  HRESULT result = LoadLibraryFile(path, &typeLib);
  if (FAILED(result)) return result;
  TLIBATTR* attributes = nullptr;
  result = typeLib->GetLibAttr(&attributes);
  if (SUCCEEDED(result)) {
    const TLIBATTR library = *attributes;
    typeLib->ReleaseTLibAttr(attributes);
    result = perUser ? UnRegisterTypeLibForUser(library.guid, library.wMajorVerNum,
                                                library.wMinorVerNum, library.lcid,
                                                library.syskind)
                     : UnRegisterTypeLib(library.guid, library.wMajorVerNum, library.wMinorVerNum,
                                         library.lcid, library.syskind);
    // A library that is not registered is what unregistration is after;
    // oleaut32 reports it as a failure of its own choosing.
    if (FAILED(result) && !IsTypeLibraryRegistered(library, perUser)) result = S_OK;
  }
  typeLib->Release();
  return result;
}

std::string Where(bool perUser) { return perUser ? "for the current user" : "for the machine"; }

}  // namespace

HRESULT CServerRegistration::ForModule(const std::vector<int>& scriptResources,
                                       RegistrationPlan& plan) {
  plan = RegistrationPlan();
  const HINSTANCE module = NVarnik::ComModule::Instance();
  for (int id : scriptResources) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"REGISTRY");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
      const HRESULT result = HRESULT_FROM_WIN32(GetLastError());
      SimpleLogger::GetInstance()->Error(kRegisterLocation,
                                         Format("No registry script %d in the module", id));
      return FAILED(result) ? result : E_FAIL;
    }
    plan.scripts.emplace_back(static_cast<const char*>(bytes), SizeofResource(module, found));
  }
  plan.typeLibPath = NVarnik::ComModule::Path();
  if (plan.typeLibPath.empty() ||
      !NVarnik::AnsiFromWideExactly(plan.typeLibPath, plan.modulePath)) {
    SimpleLogger::GetInstance()->Error(
        kRegisterLocation, "The module's path cannot be written in the system code page");
    return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
  }
  return S_OK;
}

HRESULT CServerRegistration::Register(bool perUser) const {
  SimpleLogger::GetInstance()->Info(kRegisterLocation, "Registering " + Where(perUser));
  const CRegistryScript::Replacements replacements{{"%MODULE%", plan_.modulePath}};
  for (const std::string& text : plan_.scripts) {
    CRegistryScript script;
    std::string error;
    if (!script.Parse(text, error)) {
      SimpleLogger::GetInstance()->Error(kRegisterLocation, "Bad registry script: " + error);
      return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
    const platform::Win32Error written = script.Register(replacements, perUser);
    if (written != platform::kErrorSuccess) return FromWin32(written);
  }
  if (!plan_.typeLibPath.empty()) {
    const HRESULT result = RegisterTypeLibrary(plan_.typeLibPath, perUser);
    if (FAILED(result)) {
      SimpleLogger::GetInstance()->Error(
          kRegisterLocation,
          Format("Cannot register the type library: 0x%08lX", static_cast<unsigned long>(result)));
      return result;
    }
  }
  return S_OK;
}

HRESULT CServerRegistration::Unregister(bool perUser, bool stopAtFirstFailure) const {
  SimpleLogger::GetInstance()->Info(kUnregisterLocation, "Unregistering " + Where(perUser));
  const CRegistryScript::Replacements replacements{{"%MODULE%", plan_.modulePath}};
  HRESULT first = S_OK;
  for (const std::string& text : plan_.scripts) {
    CRegistryScript script;
    std::string error;
    HRESULT result = S_OK;
    if (!script.Parse(text, error)) {
      SimpleLogger::GetInstance()->Error(kUnregisterLocation, "Bad registry script: " + error);
      result = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    } else {
      result = FromWin32(script.Unregister(replacements, perUser));
    }
    if (FAILED(result)) {
      if (stopAtFirstFailure) return result;
      if (SUCCEEDED(first)) first = result;
    }
  }
  if (!plan_.typeLibPath.empty()) {
    const HRESULT result = UnregisterTypeLibrary(plan_.typeLibPath, perUser);
    if (FAILED(result)) {
      SimpleLogger::GetInstance()->Error(
          kUnregisterLocation, Format("Cannot unregister the type library: 0x%08lX",
                                      static_cast<unsigned long>(result)));
      if (SUCCEEDED(first)) first = result;
    }
  }
  return first;
}

HRESULT CServerRegistration::Install(bool perUser) const {
  const HRESULT result = Register(perUser);
  if (FAILED(result)) {
    SimpleLogger::GetInstance()->Warning(kRegisterLocation,
                                         "Registration failed; removing what was written");
    Unregister(perUser, false);
  }
  return result;
}
