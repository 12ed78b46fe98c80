// For calls that can only try once (a lock, a rename while a reader holds
// the file): tried again after growing pauses until they go through or the
// time is up.
#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

// Calls tryOnce, which answers true while what it needs is busy, again and
// again: after 1 ms, then twice as long each time up to maxPause. False when
// the time limit ran out with tryOnce still busy.
template <typename TryOnce>
bool RetryWhileBusy(std::chrono::milliseconds limit, std::chrono::milliseconds maxPause,
                    TryOnce tryOnce) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + limit;
  std::chrono::milliseconds pause(1);
  while (tryOnce()) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, maxPause);
  }
  return true;
}

}  // namespace platform
