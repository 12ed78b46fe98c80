// The stages that follow the download driver: completion, the launch of
// the client and teardown. They are not part of this session yet; until
// they are, each says so in one log line and ends the session as stopped,
// so a host waiting for the end does not wait for ever. Teardown only logs:
// the session has ended by then.
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "session/CLoader.h"
#include "session/ResourceStrings.h"

namespace {

constexpr char kNotBuilt[] = "This stage is not part of this build; stopped.";

void NotBuilt(const char* location) { SimpleLogger::GetInstance()->Warning(location, kNotBuilt); }

intptr_t StopNotBuilt(CLoader& loader, const char* location) {
  NotBuilt(location);
  loader.EndSession(SessionOutcome::Stopped, std::string(location) + ": " + kNotBuilt);
  return 0;
}

}  // namespace

intptr_t CLoader::OnTimer() { return StopNotBuilt(*this, "CLoader::OnTimer"); }

intptr_t CLoader::OnHostMainUI() { return StopNotBuilt(*this, "CLoader::OnHostMainUI"); }

void CLoader::OnDestroy() { NotBuilt("CLoader::OnDestroy"); }

// The page's link to the prerequisite's download site comes with
// completion; until then the user gets the failure text alone.
void CLoader::ShowMissingPrerequisitePage(const std::string& description) {
  SimpleLogger::GetInstance()->Warning("CLoader::ShowMissingPrerequisitePage",
                                       "The prerequisite page is not part of this build; the "
                                       "failure text alone is shown.");
  const std::string format = resources::Text(resources::kPrerequisiteMissing);
  ReportFailure(Format(format.c_str(), description.c_str()));
}
