// The launch parameters the main component hands the client: built-in ones
// first, then one per "param_" key of its section.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "descriptors/ValueMacros.h"

class CIniFile;

struct LaunchParameter {
  std::string name;
  std::string value;
};

struct LaunchParameterList {
  std::vector<LaunchParameter> entries;
  size_t builtInCount = 0;  // entries that did not come from "param_" keys
};

struct LaunchSettings {
  std::string domainName;
  std::string domainPassword;
  LaunchMacroValues macros;  // deploymentFolder also gives "TKtesttypes"
};

// ProgIDs of the clients that take the domain credentials.
bool TakesDomainCredentials(const std::string& progId);

// Appends the main component's parameters: ("TKtesttypes", deployment
// folder); ("DomainName", ...) and ("DomainPassword", ...) when the client
// takes them and a domain name is set; then, in the section's key order, each
// key that starts with "param_" in any case, named by the rest of the key,
// with its value's macros expanded.
void AppendLaunchParameters(CIniFile& descriptor, const std::string& mainSection,
                            const std::string& progId, const LaunchSettings& settings,
                            LaunchParameterList& list);
