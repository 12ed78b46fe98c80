// There is no system error table without Windows: the texts of the errors
// the loader's operations report are Windows' own.
#include <map>

#include "platform/LastError.h"

namespace platform {
namespace {

thread_local Win32Error t_lastError = kErrorSuccess;

const std::map<Win32Error, const char*>& MessageTable() {
  static const std::map<Win32Error, const char*> table = {
      {0, "The operation completed successfully.\r\n"},
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {6, "The handle is invalid.\r\n"},
      {8, "Not enough memory resources are available to process this command.\r\n"},
      {13, "The data is invalid.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {50, "The request is not supported.\r\n"},
      {80, "The file exists.\r\n"},
      {87, "The parameter is incorrect.\r\n"},
      {112, "There is not enough space on the disk.\r\n"},
      {145, "The directory is not empty.\r\n"},
      {161, "The specified path is invalid.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
      {193, "%1 is not a valid Win32 application.\r\n"},
      {206, "The filename or extension is too long.\r\n"},
      {1400, "Invalid window handle.\r\n"},
      {1406, "Cannot create a top-level child window.\r\n"},
      {1407, "Cannot find window class.\r\n"},
  };
  return table;
}

}  // namespace

Win32Error LastErrorCode() { return t_lastError; }

void SetLastErrorCode(Win32Error error) { t_lastError = error; }

std::string SystemErrorMessage(Win32Error error) {
  const auto found = MessageTable().find(error);
  return found == MessageTable().end() ? std::string() : std::string(found->second);
}

}  // namespace platform
