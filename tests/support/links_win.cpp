#include <windows.h>
#include <winioctl.h>

#include <vector>

#include "links.h"

namespace {

constexpr DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         &wide[0], static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return wide;
}

// A mount-point reparse point on an empty folder.
bool MakeJunction(const std::string& link, const std::string& target) {
  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  HANDLE folder = CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (folder == INVALID_HANDLE_VALUE) {
    RemoveDirectoryA(link.c_str());
    return false;
  }
  const std::wstring substitute = L"\\??\\" + Wide(target);
  const std::wstring print = Wide(target);
  const size_t pathBytes = (substitute.size() + 1 + print.size() + 1) * sizeof(wchar_t);
  std::vector<BYTE> buffer(8 + 8 + pathBytes, 0);
  auto put16 = [&](size_t at, size_t value) {
    buffer[at] = static_cast<BYTE>(value & 0xFF);
    buffer[at + 1] = static_cast<BYTE>(value >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  memcpy(buffer.data(), &tag, 4);
  put16(4, 8 + pathBytes);                               // data length
  put16(8, 0);                                           // substitute offset
  put16(10, substitute.size() * sizeof(wchar_t));        // substitute length
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));  // print offset
  put16(14, print.size() * sizeof(wchar_t));             // print length
  memcpy(buffer.data() + 16, substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
  memcpy(buffer.data() + 16 + (substitute.size() + 1) * sizeof(wchar_t), print.c_str(),
         (print.size() + 1) * sizeof(wchar_t));
  DWORD returned = 0;
  const BOOL made =
      DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                      static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
  CloseHandle(folder);
  if (!made) RemoveDirectoryA(link.c_str());
  return made != FALSE;
}

bool IsLink(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

bool MakeFolderLink(const std::string& link, const std::string& target) {
  if (CreateSymbolicLinkA(link.c_str(), target.c_str(),
                          SYMBOLIC_LINK_FLAG_DIRECTORY | kAllowUnprivileged) &&
      IsLink(link))
    return true;
  RemoveDirectoryA(link.c_str());
  return MakeJunction(link, target) && IsLink(link);
}

bool MakeFileLink(const std::string& link, const std::string& target) {
  if (CreateSymbolicLinkA(link.c_str(), target.c_str(), kAllowUnprivileged) && IsLink(link))
    return true;
  DeleteFileA(link.c_str());
  return false;
}
