#include "infra/FailureList.h"

void FailureList::TraceError(const std::string& file, const std::string& description) {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.push_back({file, description});
}

std::vector<FailureList::Entry> FailureList::Entries() const {
  std::lock_guard<std::mutex> guard(lock_);
  return entries_;
}

void FailureList::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.clear();
}
