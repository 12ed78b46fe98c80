// The two clocks the command-line host reads: a steady one for rates and
// redraw pacing, the wall clock for event timestamps. Tests drive a fake.
#pragma once

#include <cstdint>

class EventClock {
 public:
  virtual ~EventClock() = default;
  virtual int64_t SteadyMs() const = 0;
  virtual int64_t UnixMs() const = 0;  // milliseconds since 1970-01-01 UTC
};

const EventClock& SystemEventClock();
