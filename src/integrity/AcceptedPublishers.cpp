#include "integrity/AcceptedPublishers.h"

bool IsAcceptedPublisher(const std::string& simpleDisplayName) {
  bool accepted = false;
  for (const char* publisher : kAcceptedPublishers) {
    if (simpleDisplayName == publisher) accepted = true;
  }
  return accepted;
}
