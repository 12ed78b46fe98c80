// The deployment location reads the session's live fields through this, so
// a property set later is seen by the next operation.
#pragma once

#include "deployment/DeploymentSettings.h"
#include "session/SessionState.h"

class SessionSettings : public DeploymentSettings {
 public:
  explicit SessionSettings(SessionState& state) : state_(state) {}

  bool DebugClient() const override { return state_.debugClient; }
  bool SharedMode() const override { return state_.sharedMode; }
  bool IsolatedDeployment() const override { return state_.isolatedDeployment != 0; }
  bool MsiDeployment() const override { return state_.msiDeployment != 0; }
  bool UseZelServerVersion() const override { return state_.useZelServerVersion != 0; }
  std::string ZelServerVersion() const override { return state_.zelServerVersion; }
  std::string SetupFileName() const override { return state_.setupFileName; }
  // IsUserAnAdmin, asked once per control and then kept.
  bool UserIsAdmin() override;

 private:
  SessionState& state_;
};
