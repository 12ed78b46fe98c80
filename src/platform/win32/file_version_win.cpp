#include <windows.h>

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

}  // namespace platform
