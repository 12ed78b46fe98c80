#include "cli/TransferRate.h"

#include <cmath>

namespace {

// Shorter spans give rates that jump with every read of the network.
constexpr int64_t kMinimumSpanMs = 200;

}  // namespace

void TransferRate::Add(int64_t atMs, uint64_t amount) {
  if (!samples_.empty() && (amount < samples_.back().second || atMs < samples_.back().first))
    samples_.clear();
  samples_.emplace_back(atMs, amount);
  // The oldest sample kept is the last one at or before the window's start,
  // so the window is always spanned in full once it can be.
  while (samples_.size() > 2 && samples_[1].first <= atMs - windowMs_) samples_.pop_front();
}

double TransferRate::PerSecond() const {
  if (samples_.size() < 2) return 0;
  const int64_t span = samples_.back().first - samples_.front().first;
  if (span < kMinimumSpanMs) return 0;
  const uint64_t amount = samples_.back().second - samples_.front().second;
  return static_cast<double>(amount) * 1000.0 / static_cast<double>(span);
}

int64_t TransferRate::SecondsLeft(uint64_t total) const {
  const double rate = PerSecond();
  if (total == 0 || rate <= 0) return -1;
  const uint64_t received = samples_.back().second;
  const uint64_t left = total > received ? total - received : 0;
  return static_cast<int64_t>(std::ceil(static_cast<double>(left) / rate));
}
