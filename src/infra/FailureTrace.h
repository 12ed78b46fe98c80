// Where an operation records a failure for the report the user is shown at
// the end of a deployment: the file concerned and a description. The session
// connects its failure report here; tests and plain hosts collect the
// entries with FailureList.
#pragma once

#include <string>

class FailureTrace {
 public:
  virtual ~FailureTrace() = default;
  virtual void TraceError(const std::string& file, const std::string& description) = 0;
};
