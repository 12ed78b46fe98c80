// The prerequisite and platform checks read the session's live fields and
// its string table through this.
#pragma once

#include "environment/EnvironmentSettings.h"
#include "session/ResourceStrings.h"
#include "session/SessionState.h"

class SessionEnvironment : public EnvironmentSettings {
 public:
  explicit SessionEnvironment(const SessionState& state) : state_(state) {}

  bool IsolatedDeployment() const override { return state_.isolatedDeployment != 0; }
  bool SkipOsCheck() const override { return state_.skipOsCheck; }
  bool SkipPreReqCheck() const override { return state_.skipPreReqCheck != 0; }
  std::string TkRootUrl() const override { return state_.tkRootUrl; }
  std::string ResourceString(int id) const override { return resources::Text(id); }

 private:
  const SessionState& state_;
};
