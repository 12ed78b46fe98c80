#include "session/SessionEnvironment.h"

#include "session/ResourceStrings.h"

SessionEnvironment::SessionEnvironment(const SessionState& state)
    : state_(state), checks_(*this), prerequisites_(*this) {}

std::string SessionEnvironment::ResourceString(int id) const { return resources::Text(id); }
