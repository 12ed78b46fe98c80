// What registering the module means: its registry scripts, applied with
// "%MODULE%" replaced by the module's path, and its type library. Machine
// registration writes HKCR (the machine's Software\Classes); per-user
// registration writes the current user's Software\Classes instead and
// registers the type library for the user.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

struct RegistrationPlan {
  std::vector<std::string> scripts;  // one per class, in registration order
  std::string modulePath;            // what "%MODULE%" stands for
  std::wstring typeLibPath;          // the file holding the type library
};

class CServerRegistration {
 public:
  explicit CServerRegistration(RegistrationPlan plan) : plan_(std::move(plan)) {}

  // The module's own plan: its REGISTRY resources and its path. Fails when
  // a resource is missing, or when the path has characters the system code
  // page cannot hold (the registered path would name another file).
  static HRESULT ForModule(const std::vector<int>& scriptResources, RegistrationPlan& plan);

  // Every script, then the type library; stops at the first failure.
  HRESULT Register(bool perUser) const;
  // Every class and the type library. stopAtFirstFailure: as an uninstall
  // does; otherwise everything is tried and the first failure returned.
  HRESULT Unregister(bool perUser, bool stopAtFirstFailure) const;
  // Register, and when that fails, unregister again so no partial
  // registration is left; the registration's failure is returned.
  HRESULT Install(bool perUser) const;

 private:
  RegistrationPlan plan_;
};
