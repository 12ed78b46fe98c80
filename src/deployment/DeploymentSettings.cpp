#include "deployment/DeploymentSettings.h"

#include "platform/SystemFacts.h"

bool DeploymentSettingsValues::UserIsAdmin() {
  if (!userIsAdmin) userIsAdmin = platform::IsUserAdministrator();
  return *userIsAdmin;
}
