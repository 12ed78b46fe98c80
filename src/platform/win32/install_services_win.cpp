#include <windows.h>
#include <oleauto.h>

#include <vector>

#include "platform/InstallServices.h"

namespace platform {
namespace {

class LoadedLibrary {
 public:
  explicit LoadedLibrary(HMODULE module) : module_(module) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

std::vector<wchar_t> ToWide(const std::string& text) {
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> wide(needed > 0 ? static_cast<size_t>(needed) : 1, L'\0');
  if (needed > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), needed);
  return wide;
}

using RegisterServerEntry = HRESULT(STDAPICALLTYPE*)();

}  // namespace

bool WindowsInstallersAvailable() { return true; }

ServerRegistration CallDllRegisterServer(const std::string& path, HResult& result) {
  LoadedLibrary library(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library.Get()) return ServerRegistration::NotLoaded;
  const auto entry = reinterpret_cast<RegisterServerEntry>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "DllRegisterServer")));
  if (!entry) return ServerRegistration::NoEntryPoint;
  result = entry();
  return ServerRegistration::Called;
}

TypeLibraryRegistration RegisterTypeLibrary(const std::string& path) {
  std::vector<wchar_t> widePath = ToWide(path);
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLib(widePath.data(), &library)) || !library)
    return TypeLibraryRegistration::NotLoaded;
  const HRESULT registered = RegisterTypeLib(library, widePath.data(), nullptr);
  library->Release();
  return SUCCEEDED(registered) ? TypeLibraryRegistration::Registered
                               : TypeLibraryRegistration::NotRegistered;
}

RegistryFileMerge MergeRegistryFile(const std::string&, std::string& detail) {
  detail = "reg.exe imports registry files on Windows";
  return RegistryFileMerge::NotSupported;
}

}  // namespace platform
