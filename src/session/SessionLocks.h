// The session's process-wide locks. Both are re-entrant for the thread that
// holds them, as critical sections are.
#pragma once

#include <mutex>

// Held for the whole of OnHostStart, OnStartSetup and OnStartDownload, so two
// controls in one process never run those stages at once.
std::recursive_mutex& SessionLock();
// Held around each component transfer.
std::recursive_mutex& DownloadLock();
