#include <windows.h>

#include <vector>

#include "platform/FileNames.h"

namespace platform {

Win32Error SearchForFile(const std::string& folder, const std::string& name, std::string& found) {
  char buffer[MAX_PATH] = {};
  char* filePart = nullptr;
  const DWORD length = SearchPathA(folder.empty() ? nullptr : folder.c_str(), name.c_str(),
                                   nullptr, MAX_PATH, buffer, &filePart);
  if (length == 0) return static_cast<Win32Error>(GetLastError());
  if (length >= MAX_PATH) return kErrorFilenameExcedRange;
  found.assign(buffer, length);
  return kErrorSuccess;
}

bool QueryShortPathName(const std::string& path, std::string& shortPath) {
  const DWORD needed = GetShortPathNameA(path.c_str(), nullptr, 0);
  if (needed == 0) return false;
  std::vector<char> buffer(needed + 1);
  const DWORD length =
      GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return false;
  shortPath.assign(buffer.data(), length);
  return true;
}

bool CreateTempFileName(const std::string& folder, const std::string& prefix, std::string& path) {
  char buffer[MAX_PATH] = {};
  if (GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, buffer) == 0) return false;
  path = buffer;
  return true;
}

}  // namespace platform
