#include "descriptors/LaunchParameters.h"

#include "deployment/CIniFile.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kParamPrefix[] = "param_";
constexpr size_t kParamPrefixLength = sizeof(kParamPrefix) - 1;

}  // namespace

bool TakesDomainCredentials(const std::string& progId) {
  return platform::CodePageEqualsNoCase(progId, "VurErave.VurEraveX") ||
         platform::CodePageEqualsNoCase(progId, "DADevizeDE.RiVudizI");
}

void AppendLaunchParameters(CIniFile& descriptor, const std::string& mainSection,
                            const std::string& progId, const LaunchSettings& settings,
                            LaunchParameterList& list) {
  list.entries.push_back({"TKtesttypes", settings.macros.deploymentFolder});
  ++list.builtInCount;
  if (TakesDomainCredentials(progId) && !settings.domainName.empty()) {
    list.entries.push_back({"DomainName", settings.domainName});
    list.entries.push_back({"DomainPassword", settings.domainPassword});
    list.builtInCount += 2;
  }

  CIniFile::KeyTable keys;
  descriptor.GetSection(mainSection, keys);
  for (const auto& entry : keys) {
    const std::string& key = entry.first;
    if (key.size() < kParamPrefixLength ||
        !platform::CodePageEqualsNoCase(key.substr(0, kParamPrefixLength), kParamPrefix))
      continue;
    list.entries.push_back(
        {key.substr(kParamPrefixLength), ExpandLaunchMacros(entry.second, settings.macros)});
  }
}
