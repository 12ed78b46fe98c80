#include "install/ComponentPresence.h"

#include <vector>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "install/VersionText.h"
#include "platform/DebugOutput.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/FileVersion.h"

namespace {

constexpr char kCompareLocation[] = "CLoader::CompareFileVersion";
constexpr char kLocalLocation[] = "CLoader::CheckIfLocalFileExists";
constexpr char kExistsLocation[] = "CLoader::CheckFileExists";

void Log(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Info(location, message);
}

}  // namespace

ComponentPresence::ComponentPresence(PathMacros& paths, DeploymentFolderState& folder,
                                     FailureTrace& failures)
    : paths_(paths), folder_(folder), failures_(failures) {}

bool ComponentPresence::ReadVersionText(const std::string& path, std::string& text) {
  platform::VersionResource resource;
  switch (resource.Load(path)) {
    case platform::VersionResource::Status::NoResource:
      Log(kCompareLocation, Format("FileVersionInfo size for %s is 0 (zero).", path.c_str()));
      return false;
    case platform::VersionResource::Status::ReadFailed:
      failures_.TraceError(kCompareLocation,
                           Format("Failed retrieving FileVersionInfo for %s.", path.c_str()));
      return false;
    case platform::VersionResource::Status::Loaded:
      break;
  }

  std::vector<platform::VersionTranslation> translations;
  if (!resource.QueryTranslations(translations)) {
    failures_.TraceError(
        kCompareLocation,
        Format("Failed retrieving langiages information (\\VarFileInfo\\Translation) from %s",
               path.c_str()));
    return false;
  }
  for (const platform::VersionTranslation& translation : translations) {
    platform::SendDebugOutput("Getting version :\n");
    const std::string subBlock = Format("\\StringFileInfo\\%04X%04X\\FileVersion",
                                        translation.language, translation.codePage);
    if (resource.QueryText(subBlock, text)) return true;
    failures_.TraceError(kCompareLocation, Format("Failed retrieving FileVersion '%s' from %s",
                                                  subBlock.c_str(), path.c_str()));
  }
  failures_.TraceError(kCompareLocation, Format("Failed retrieving version for %s.", path.c_str()));
  platform::SendDebugOutput("Failed getting version number.\n");
  return false;
}

bool ComponentPresence::CompareFileVersion(const std::string& expected, const std::string& path) {
  Log(kCompareLocation, Format("%s, expected version = '%s'", path.c_str(), expected.c_str()));
  platform::SendDebugOutput("Get version for [" + path + "]\n");

  std::string fileVersion;
  if (!ReadVersionText(path, fileVersion)) return false;
  Log(kCompareLocation, Format("The version of %s is '%s'.", path.c_str(), fileVersion.c_str()));
  platform::SendDebugOutput("Succeded getting version number.\n");

  // The parse trims every piece, the text's own ends included.
  return VersionMatches(ParseVersionText(expected), ParseVersionText(fileVersion));
}

bool ComponentPresence::CheckIfLocalFileExists(const std::string& name) {
  const std::string path = folder_.GetCurrentDeploymentFolder() + "\\" + name;
  Log(kLocalLocation, "Expected local file name: " + path);
  if (!FileExists(path)) {
    Log(kLocalLocation, path + " not found");
    return false;
  }
  Log(kLocalLocation, path + " exists locally");
  const bool result = CompareFileVersion(kLocalBuildVersion, path);
  Log(kLocalLocation, Format("%s - is local version equals X.9.9.9999 - %d", name.c_str(),
                             result ? 1 : 0));
  return result;
}

bool ComponentPresence::CheckFileExists(const std::string& name) {
  std::string look = name;
  if (!look.empty() && look[0] == '%') paths_.ParsePath(look, false);
  Log(kExistsLocation, Format("Looking for %s", look.c_str()));

  std::string found;
  if (platform::SearchForFile("", look, found) != platform::kErrorSuccess) {
    Log(kExistsLocation, Format("File %s not found.", look.c_str()));
    look = folder_.GetCurrentDeploymentFolder() + "\\" + name;
    Log(kExistsLocation, Format("Try to look for %s.", look.c_str()));
    if (platform::SearchForFile("", look, found) != platform::kErrorSuccess) {
      Log(kExistsLocation, Format("File %s not found.", look.c_str()));
      return false;
    }
  }
  if (!platform::CanOpenForReading(found)) {
    Log(kExistsLocation, Format("File %s not found.", found.c_str()));
    return false;
  }
  Log(kExistsLocation, Format("File %s is found.", found.c_str()));
  return true;
}
