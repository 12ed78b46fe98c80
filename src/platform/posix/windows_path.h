// A Windows path taken apart the way Windows reads it, before the posix port
// places it on the host.
//
// Ordinary paths are normalised as Win32 normalises them: "/" separates like
// "\", "." and ".." are resolved without climbing above the drive or the
// \\server\share, a single trailing dot is dropped from each folder name,
// and trailing dots and blanks from the last name. A "\\?\" path
// ("\\?\C:\...", "\\?\UNC\server\share\...") is taken literally, as Windows
// hands it to the file system: only "\" separates, names keep their
// trailing dots and blanks, and a name holding "/" or made of "." or ".."
// is refused, as Windows refuses it (ERROR_INVALID_NAME).
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

struct WindowsPath {
  enum class Kind {
    Host,      // already a host path ("/..."): text holds it with "/" separators
    Relative,  // relative to the working folder: text holds it with "/" separators
    Drive,     // drive is the lower-case letter
    Unc,       // names begins with the server and the share
  };
  Kind kind = Kind::Relative;
  std::string text;
  char drive = 'c';
  std::vector<std::string> names;
};

// False for a path Windows refuses as a name.
bool ParseWindowsPath(const std::string& path, WindowsPath& parsed);

}  // namespace platform::posix
