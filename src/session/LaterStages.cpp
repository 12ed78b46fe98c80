// The stages that follow start-up's first step: the start-up checks, the
// download driver, completion, the launch of the client and teardown. They
// are not part of this session yet; until they are, each says so in one log
// line and does nothing else, so a session stops after OnHostStart.
#include "infra/SimpleLogger.h"
#include "session/CLoader.h"

namespace {

void NotBuilt(const char* location) {
  SimpleLogger::GetInstance()->Warning(location, "This stage is not part of this build; stopped.");
}

}  // namespace

intptr_t CLoader::OnStartSetup() {
  NotBuilt("CLoader::OnStartSetup");
  return 0;
}

intptr_t CLoader::OnStartDownload() {
  NotBuilt("CLoader::OnStartDownload");
  return 0;
}

intptr_t CLoader::OnTimer() {
  NotBuilt("CLoader::OnTimer");
  return 0;
}

intptr_t CLoader::OnHostMainUI() {
  NotBuilt("CLoader::OnHostMainUI");
  return 0;
}

void CLoader::OnDestroy() { NotBuilt("CLoader::OnDestroy"); }
