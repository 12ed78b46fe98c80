// The rate of one transfer over its last few seconds, and the time left at
// that rate. Amounts are bytes, or percentage points when the size of the
// file is not known to the host.
#pragma once

#include <cstdint>
#include <deque>
#include <utility>

class TransferRate {
 public:
  explicit TransferRate(int64_t windowMs = 5000) : windowMs_(windowMs) {}

  void Reset() { samples_.clear(); }
  // The amount received so far at atMs. A smaller amount than the last one
  // means the transfer started again: the samples before it are dropped.
  void Add(int64_t atMs, uint64_t amount);

  // Amount per second over the window; 0 while unknown (less than 200 ms
  // seen).
  double PerSecond() const;
  // Whole seconds until total is reached, rounded up; -1 when unknown.
  int64_t SecondsLeft(uint64_t total) const;

 private:
  int64_t windowMs_;
  std::deque<std::pair<int64_t, uint64_t>> samples_;  // time, amount
};
