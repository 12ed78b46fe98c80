// Records servers in a deployment root the way a control does, for the tests
// that run several loaders at once:
//   deployment_recorder <root> <first> <count>
// asks for the deployment folder of srv<first>.example.com/tk and the servers
// after it; ends with 0 when each one got a folder.
#include <cstdlib>
#include <exception>
#include <string>

#include "deployment/CIniFile.h"
#include "deployment/DeploymentEngine.h"
#include "deployment/DeploymentSettings.h"
#include "deployment/PathMacros.h"
#include "infra/FailureList.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  try {
    DeploymentSettingsValues settings;
    settings.userIsAdmin = false;
    CIniFile mergedSetup;
    mergedSetup.SetCurrentSection("Common Data");
    mergedSetup.SetValue("Destination", argv[1]);
    FailureList failures;
    PathMacros paths(settings, mergedSetup, failures);
    DeploymentEngine engine(settings, paths, failures);
    paths.AttachDeploymentState(&engine);
    const int first = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    for (int number = first; number < first + count; ++number) {
      if (engine.GetDeploymentFolder("srv" + std::to_string(number) + ".example.com/tk").empty())
        return 1;
    }
    return 0;
  } catch (const std::exception&) {
    return 3;
  }
}
