#include <windows.h>

#include "platform/LastError.h"

namespace platform {

Win32Error LastErrorCode() { return static_cast<Win32Error>(GetLastError()); }

void SetLastErrorCode(Win32Error error) { SetLastError(static_cast<DWORD>(error)); }

std::string SystemErrorMessage(Win32Error error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length) : std::string();
  if (buffer) LocalFree(buffer);
  return text;
}

}  // namespace platform
