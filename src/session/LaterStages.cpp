// The stages that follow start-up's first step and are not part of this
// session yet: the start-up checks and the download driver. Until they are,
// each says so in one log line and ends the session as stopped, so a host
// waiting for the end does not wait for ever.
#include "infra/SimpleLogger.h"
#include "session/CLoader.h"

namespace {

constexpr char kNotBuilt[] = "This stage is not part of this build; stopped.";

intptr_t StopNotBuilt(CLoader& loader, const char* location) {
  SimpleLogger::GetInstance()->Warning(location, kNotBuilt);
  loader.EndSession(SessionOutcome::Stopped, std::string(location) + ": " + kNotBuilt);
  return 0;
}

}  // namespace

intptr_t CLoader::OnStartSetup() { return StopNotBuilt(*this, "CLoader::OnStartSetup"); }

intptr_t CLoader::OnStartDownload() { return StopNotBuilt(*this, "CLoader::OnStartDownload"); }
