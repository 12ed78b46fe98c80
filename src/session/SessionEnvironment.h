// The session's environment checks: what the platform and prerequisite
// checks read of the control (EnvironmentSettings, over the live session
// state and the control's string table) and the checks themselves, one of
// each per control so their cached answers live as long as the control.
#pragma once

#include <string>

#include "environment/EnvironmentSettings.h"
#include "environment/PlatformChecks.h"
#include "environment/RuntimePrerequisites.h"
#include "session/SessionState.h"

class SessionEnvironment : public EnvironmentSettings {
 public:
  explicit SessionEnvironment(const SessionState& state);
  SessionEnvironment(const SessionEnvironment&) = delete;
  SessionEnvironment& operator=(const SessionEnvironment&) = delete;

  PlatformChecks& Checks() { return checks_; }
  RuntimePrerequisites& Prerequisites() { return prerequisites_; }

  // EnvironmentSettings.
  bool IsolatedDeployment() const override { return state_.isolatedDeployment != 0; }
  bool SkipOsCheck() const override { return state_.skipOsCheck; }
  bool SkipPreReqCheck() const override { return state_.skipPreReqCheck != 0; }
  std::string TkRootUrl() const override { return state_.tkRootUrl; }
  std::string ResourceString(int id) const override;

 private:
  const SessionState& state_;
  PlatformChecks checks_;
  RuntimePrerequisites prerequisites_;
};
