// A FailureTrace that keeps every entry in order, for hosts without a
// failure window and for tests.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "infra/FailureTrace.h"

class FailureList : public FailureTrace {
 public:
  struct Entry {
    std::string file;
    std::string description;
  };

  void TraceError(const std::string& file, const std::string& description) override;

  std::vector<Entry> Entries() const;
  void Clear();

 private:
  mutable std::mutex lock_;
  std::vector<Entry> entries_;
};
