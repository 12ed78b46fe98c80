#include "com/ComModule.h"

#include <mutex>

// The linker's symbol for the start of the image this code is part of.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace NVarnik {

namespace {

LONG g_lockCount = 0;
LONG g_perUser = 0;

std::mutex& TypeLibLock() {
  static std::mutex lock;
  return lock;
}
ITypeLib* g_typeLib = nullptr;

struct CreationSection {
  CreationSection() { InitializeCriticalSection(&section); }
  ~CreationSection() { DeleteCriticalSection(&section); }
  CRITICAL_SECTION section;
};

}  // namespace

HINSTANCE ComModule::Instance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::wstring ComModule::Path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(Instance(), &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    // A full buffer may be a cut-short path: try again with a larger one.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

void ComModule::Lock() { InterlockedIncrement(&g_lockCount); }
void ComModule::Unlock() { InterlockedDecrement(&g_lockCount); }
LONG ComModule::LockCount() { return InterlockedCompareExchange(&g_lockCount, 0, 0); }

void ComModule::SetPerUserRegistration(bool perUser) {
  InterlockedExchange(&g_perUser, perUser ? 1 : 0);
}

bool ComModule::PerUserRegistration() { return InterlockedCompareExchange(&g_perUser, 0, 0) != 0; }

HRESULT ComModule::GetTypeLib(ITypeLib** typeLib) {
  if (!typeLib) return E_POINTER;
  *typeLib = nullptr;
  std::lock_guard<std::mutex> guard(TypeLibLock());
  if (!g_typeLib) {
    const std::wstring path = Path();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    // The module's path names its first TYPELIB resource.
    const HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLib);
    if (FAILED(result)) return result;
  }
  g_typeLib->AddRef();
  *typeLib = g_typeLib;
  return S_OK;
}

HRESULT ComModule::GetTypeInfo(REFGUID guid, ITypeInfo** typeInfo) {
  if (!typeInfo) return E_POINTER;
  *typeInfo = nullptr;
  ITypeLib* typeLib = nullptr;
  HRESULT result = GetTypeLib(&typeLib);
  if (FAILED(result)) return result;
  result = typeLib->GetTypeInfoOfGuid(guid, typeInfo);
  typeLib->Release();
  return result;
}

CRITICAL_SECTION& ComModule::CreationLock() {
  static CreationSection section;
  return section.section;
}

void ComModule::ReleaseCaches() {
  std::lock_guard<std::mutex> guard(TypeLibLock());
  if (g_typeLib) {
    g_typeLib->Release();
    g_typeLib = nullptr;
  }
}

}  // namespace NVarnik
