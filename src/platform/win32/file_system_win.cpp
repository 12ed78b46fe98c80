#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/FileSystem.h"
#include "platform/win32/system_path_win.h"

namespace platform {
namespace {

struct FindHandle {
  HANDLE handle = INVALID_HANDLE_VALUE;
  ~FindHandle() {
    if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
  }
};

}  // namespace

std::string ToNativePath(const std::string& path) { return path; }

bool ReadPathAttributes(const std::string& path, uint32_t& attributes) {
  const DWORD value = GetFileAttributesW(win32::SystemPath(path).c_str());
  if (value == INVALID_FILE_ATTRIBUTES) return false;
  attributes = value;
  return true;
}

Win32Error CreateDirectoryWithParents(const std::string& path) {
  const Win32Error result = SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
  if (result != ERROR_ALREADY_EXISTS && result != ERROR_FILE_EXISTS) return result;
  // SHCreateDirectoryExA answers "already exists" for a file standing there
  // too; the caller must not take it for the folder.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)
             ? kErrorFileExists
             : kErrorAlreadyExists;
}

Win32Error DeletePath(const std::string& path) {
  return DeleteFileW(win32::SystemPath(path).c_str()) ? kErrorSuccess
                                                       : static_cast<Win32Error>(GetLastError());
}

Win32Error RemoveFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) ? kErrorSuccess : static_cast<Win32Error>(GetLastError());
}

Win32Error FindEntries(const std::string& pattern, std::vector<FoundEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA data;
  FindHandle find;
  find.handle = FindFirstFileA(pattern.c_str(), &data);
  if (find.handle == INVALID_HANDLE_VALUE) return static_cast<Win32Error>(GetLastError());
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    FoundEntry entry;
    entry.name = name;
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(entry);
  } while (FindNextFileA(find.handle, &data));
  return entries.empty() ? kErrorFileNotFound : kErrorSuccess;
}

FILE* OpenStdioFile(const std::string& path, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(win32::SystemPath(path).c_str(), wideMode.c_str());
}

FILE* OpenPrivateStdioFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

Win32Error PlaceFileReplacing(const std::string& source, const std::string& target) {
  static LONG placements = 0;
  const std::string beside = target + "." + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(InterlockedIncrement(&placements)) + ".new";
  if (Win32Error error = CopyFileReplacing(source, beside)) return error;
  if (!MoveFileExA(beside.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const Win32Error error = static_cast<Win32Error>(GetLastError());
    DeleteFileA(beside.c_str());
    return error;
  }
  DeleteFileA(source.c_str());
  return kErrorSuccess;
}

Win32Error CopyFileReplacing(const std::string& source, const std::string& target) {
  return CopyFileA(source.c_str(), target.c_str(), FALSE) ? kErrorSuccess
                                                          : static_cast<Win32Error>(GetLastError());
}

bool CanOpenForReading(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

}  // namespace platform
