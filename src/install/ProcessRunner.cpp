#include "install/ProcessRunner.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/ProgramFolder.h"

bool runExeAndWait(const std::string& program, uint32_t& exitCode, const std::string& arguments,
                   uint32_t timeoutMs, bool hidden) {
  const char* const location = "runExeAndWait";
  try {
    SimpleLogger::GetInstance()->Info(
        location, Format("Run: %s Arguments: %s Hidden: %s", program.c_str(), arguments.c_str(),
                         BoolToString(hidden).c_str()));
    // A bare program name leaves no folder; the caller's folder is kept then
    // rather than handing the system an empty one.
    std::string workingFolder = program;
    if (!RemoveFileSpec(workingFolder)) workingFolder.clear();

    const std::string commandLine = Format("\"%s\" %s", program.c_str(), arguments.c_str());
    uint32_t code = 0;
    switch (platform::RunProcessAndWait(commandLine, workingFolder, hidden, timeoutMs, code)) {
      case platform::ProcessRunResult::ExitCodeRead:
        exitCode = code;
        return true;
      case platform::ProcessRunResult::ExitCodeUnavailable:
        SimpleLogger::GetInstance()->Error(
            location, Format("The exit code of %s cannot be read", program.c_str()));
        return false;
      case platform::ProcessRunResult::NotStarted:
        SimpleLogger::GetInstance()->Error(location, Format("Cannot start %s", program.c_str()));
        return false;
    }
  } catch (const std::exception& error) {
    SimpleLogger::GetInstance()->Error(location, error.what());
  } catch (...) {
    SimpleLogger::GetInstance()->Error(location, "Unknown exception");
  }
  return false;
}
