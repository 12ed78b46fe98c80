#include "session/SessionSettings.h"

#include "platform/SystemFacts.h"

bool SessionSettings::UserIsAdmin() {
  if (!state_.userIsAdminKnown) {
    state_.userIsAdmin = platform::IsUserAdministrator();
    state_.userIsAdminKnown = true;
  }
  return state_.userIsAdmin;
}
