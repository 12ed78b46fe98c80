#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

#include "platform/FileVersion.h"

namespace platform {

bool ReadFileVersion(const std::string& path, FileVersion& version) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &value, &length) || !value ||
      length < sizeof(VS_FIXEDFILEINFO))
    return false;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  // VerQueryValueA does not look at the signature; the posix port does, and
  // both ports should refuse the same damaged files.
  if (fixed->dwSignature != VS_FFI_SIGNATURE) return false;
  version.mostSignificant = fixed->dwFileVersionMS;
  version.leastSignificant = fixed->dwFileVersionLS;
  return true;
}

OwnVersionStatus ReadOwnModuleVersion(FileVersion& version) {
  // The module holding this function: varnik.dll inside a browser, or the
  // executable the core is linked into.
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&ReadOwnModuleVersion), &module))
    return OwnVersionStatus::ModulePathUnavailable;

  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  // A full buffer means the path was cut short.
  if (length == 0 || length >= MAX_PATH) return OwnVersionStatus::ModulePathUnavailable;
  return ReadFileVersion(path, version) ? OwnVersionStatus::Found
                                        : OwnVersionStatus::NoVersionResource;
}

VersionResource::Status VersionResource::Load(const std::string& path) {
  block_.clear();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return Status::NoResource;
  std::vector<uint8_t> block(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return Status::ReadFailed;
  block_ = std::move(block);
  return Status::Loaded;
}

bool VersionResource::QueryTranslations(std::vector<VersionTranslation>& translations) const {
  translations.clear();
  if (block_.empty()) return false;
  void* value = nullptr;
  UINT length = 0;
  // VerQueryValueA only reads the block, whatever its prototype says.
  void* block = const_cast<uint8_t*>(block_.data());
  if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", &value, &length) || !value) return false;
  const auto* bytes = static_cast<const uint8_t*>(value);
  for (UINT at = 0; at + 4 <= length; at += 4) {
    VersionTranslation entry;
    std::memcpy(&entry.language, bytes + at, 2);
    std::memcpy(&entry.codePage, bytes + at + 2, 2);
    translations.push_back(entry);
  }
  return true;
}

bool VersionResource::QueryText(const std::string& subBlock, std::string& text) const {
  if (block_.empty()) return false;
  void* value = nullptr;
  UINT length = 0;
  void* block = const_cast<uint8_t*>(block_.data());
  if (!VerQueryValueA(block, subBlock.c_str(), &value, &length) || !value) return false;
  // length counts characters, the terminating zero included when stored.
  const char* characters = static_cast<const char*>(value);
  text.assign(characters, strnlen(characters, length));
  return true;
}

bool ReadLibraryDllVersion(const std::string& library, uint32_t& major, uint32_t& minor) {
  const HMODULE module = LoadLibraryA(library.c_str());
  if (!module) return false;
  bool found = false;
  const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
  if (getVersion) {
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof(info);
    static_assert(sizeof(DLLVERSIONINFO) == 20, "DLLVERSIONINFO");
    if (SUCCEEDED(getVersion(&info))) {
      major = info.dwMajorVersion;
      minor = info.dwMinorVersion;
      found = true;
    }
  }
  FreeLibrary(module);
  return found;
}

}  // namespace platform
