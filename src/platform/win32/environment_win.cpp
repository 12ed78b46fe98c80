#include <windows.h>

#include <vector>

#include "platform/Environment.h"

namespace platform {

bool ReadEnvironmentVariable(const std::string& name, std::string& value) {
  std::vector<char> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value.clear();  // set, but empty
      return true;
    }
    if (length < buffer.size()) {
      value.assign(buffer.data(), length);
      return true;
    }
    buffer.resize(length);  // length includes the terminating zero here
  }
}

bool WriteEnvironmentVariable(const std::string& name, const std::string& value) {
  return SetEnvironmentVariableA(name.c_str(), value.c_str()) != FALSE;
}

bool RemoveEnvironmentVariable(const std::string& name) {
  return SetEnvironmentVariableA(name.c_str(), nullptr) != FALSE;
}

}  // namespace platform
