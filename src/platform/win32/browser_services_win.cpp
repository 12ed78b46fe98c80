#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <urlmon.h>

#include <string>

#include "platform/BrowserServices.h"

namespace platform {
namespace {

using IsProtectedModeProcessFunction = HRESULT(WINAPI*)(BOOL*);

struct LibraryHandle {
  HMODULE module = nullptr;
  ~LibraryHandle() {
    if (module) FreeLibrary(module);
  }
};

std::wstring ToUtf16(const std::string& text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                      length);
  return wide;
}

}  // namespace

HResult QueryIeProtectedMode(bool& protectedMode) {
  protectedMode = false;
  LibraryHandle library;
  library.module = LoadLibraryA("ieframe.dll");
  if (!library.module) return kENotImpl;
  const auto query = reinterpret_cast<IsProtectedModeProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.module, "IEIsProtectedModeProcess")));
  if (!query) return kENotImpl;
  BOOL answer = FALSE;
  const HRESULT result = query(&answer);
  protectedMode = answer != FALSE;
  return result;
}

ZoneLookup MapUrlToZone(const std::string& url, uint32_t& zone) {
  IInternetSecurityManager* manager = nullptr;
  if (FAILED(CoCreateInstance(CLSID_InternetSecurityManager, nullptr, CLSCTX_ALL,
                              IID_IInternetSecurityManager, reinterpret_cast<void**>(&manager))) ||
      !manager)
    return ZoneLookup::NoSecurityManager;
  const std::wstring wide = ToUtf16(url);
  DWORD mapped = 0;
  const HRESULT result = manager->MapUrlToZone(wide.c_str(), &mapped, 0);
  manager->Release();
  if (FAILED(result)) return ZoneLookup::Failed;
  zone = mapped;
  return ZoneLookup::Mapped;
}

bool OpenPage(const std::string& page) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Above 32 is success; below it the result is an error number.
  if (result > 32) return true;
  SetLastError(result > 0 ? static_cast<DWORD>(result) : ERROR_NOT_SUPPORTED);
  return false;
}

}  // namespace platform
