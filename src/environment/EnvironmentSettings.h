// The control's state that the prerequisite and platform checks read. The
// control implements it over its own fields and string table;
// EnvironmentSettingsValues holds plain values for hosts without a control
// and for tests.
#pragma once

#include <map>
#include <string>

class EnvironmentSettings {
 public:
  virtual ~EnvironmentSettings() = default;

  virtual bool IsolatedDeployment() const = 0;
  // Set at start-up by "skiposcheck=true" or ZELSKIPOSCHECK=1.
  virtual bool SkipOsCheck() const = 0;
  // The SkipPreReqCheck property: prerequisites count as present.
  virtual bool SkipPreReqCheck() const = 0;
  // The server root URL, without its final "/".
  virtual std::string TkRootUrl() const = 0;
  // The text of an entry of the control's string table.
  virtual std::string ResourceString(int id) const = 0;
};

class EnvironmentSettingsValues : public EnvironmentSettings {
 public:
  bool isolatedDeployment = false;
  bool skipOsCheck = false;
  bool skipPreReqCheck = false;
  std::string tkRootUrl;
  std::map<int, std::string> resourceStrings;

  bool IsolatedDeployment() const override { return isolatedDeployment; }
  bool SkipOsCheck() const override { return skipOsCheck; }
  bool SkipPreReqCheck() const override { return skipPreReqCheck; }
  std::string TkRootUrl() const override { return tkRootUrl; }
  // Empty for an id that was not given.
  std::string ResourceString(int id) const override;
};
