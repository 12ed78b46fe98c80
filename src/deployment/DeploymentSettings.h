// The control's state that the deployment location reads: switches from the
// additional parameters, deployment properties and the user's rights. The
// control implements it over its own fields, so a property set later is seen
// by the next operation.
#pragma once

#include <optional>
#include <string>

class DeploymentSettings {
 public:
  virtual ~DeploymentSettings() = default;

  virtual bool DebugClient() const = 0;  // "debugclient=true"
  virtual bool SharedMode() const = 0;   // "sharedmode=true"
  virtual bool IsolatedDeployment() const = 0;
  virtual bool MsiDeployment() const = 0;
  virtual bool UseZelServerVersion() const = 0;
  virtual std::string ZelServerVersion() const = 0;
  // The setup descriptor's file name: the SetupFile property without its
  // location, later the extracted descriptor's INI file name.
  virtual std::string SetupFileName() const = 0;
  // IsUserAnAdmin; asked of the system once per control and then kept.
  virtual bool UserIsAdmin() = 0;
};

// Settings held as plain values, for hosts without a control object and
// for tests.
class DeploymentSettingsValues : public DeploymentSettings {
 public:
  bool debugClient = false;
  bool sharedMode = false;
  bool isolatedDeployment = false;
  bool msiDeployment = false;
  bool useZelServerVersion = false;
  std::string zelServerVersion;
  std::string setupFileName;
  // Asked of the system on first use when not set.
  std::optional<bool> userIsAdmin;

  bool DebugClient() const override { return debugClient; }
  bool SharedMode() const override { return sharedMode; }
  bool IsolatedDeployment() const override { return isolatedDeployment; }
  bool MsiDeployment() const override { return msiDeployment; }
  bool UseZelServerVersion() const override { return useZelServerVersion; }
  std::string ZelServerVersion() const override { return zelServerVersion; }
  std::string SetupFileName() const override { return setupFileName; }
  bool UserIsAdmin() override;
};
