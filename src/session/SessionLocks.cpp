#include "session/SessionLocks.h"

std::recursive_mutex& SessionLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::recursive_mutex& DownloadLock() {
  static std::recursive_mutex lock;
  return lock;
}
