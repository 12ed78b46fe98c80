#include "platform/posix/file_errors.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform::posix {

Win32Error FileErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case ENOMEM: return kErrorNotEnoughMemory;
    default: return kErrorInvalidParameter;
  }
}

Win32Error FileErrorForPath(int error, const std::string& hostPath) {
  if (error != ENOENT) return FileErrorFromErrno(error);
  const size_t slash = hostPath.find_last_of('/');
  if (slash == std::string::npos) return kErrorFileNotFound;
  const std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
  struct stat info = {};
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? kErrorFileNotFound
                                                                   : kErrorPathNotFound;
}

}  // namespace platform::posix
