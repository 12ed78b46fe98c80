#include "cli/EventClock.h"

#include <chrono>

namespace {

class SystemClock : public EventClock {
 public:
  int64_t SteadyMs() const override { return Milliseconds(std::chrono::steady_clock::now()); }
  int64_t UnixMs() const override { return Milliseconds(std::chrono::system_clock::now()); }

 private:
  template <typename TimePoint>
  static int64_t Milliseconds(TimePoint point) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(point.time_since_epoch()).count();
  }
};

}  // namespace

const EventClock& SystemEventClock() {
  static const SystemClock clock;
  return clock;
}
