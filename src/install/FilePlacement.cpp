#include "install/FilePlacement.h"

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kLocation[] = "MoveFile2Destination";

void Info(const std::string& message) { SimpleLogger::GetInstance()->Info(kLocation, message); }

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  return text.size() >= tail.size() && platform::CodePageEqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

bool MoveFile2Destination(const std::string& source, const std::string& destination) {
  Info(Format("Create directories recursive, %s", destination.c_str()));
  const size_t lastSeparator = destination.rfind('\\');
  if (lastSeparator != std::string::npos && lastSeparator > 0)
    platform::CreateDirectoryWithParents(destination.substr(0, lastSeparator));

  // A successful placement has consumed the source.
  const bool replaced = platform::PlaceFileReplacing(source, destination) == platform::kErrorSuccess;
  bool placed = replaced;
  // A loaded library or program cannot be replaced; the one in place will
  // do when it is the same version. Only a file that is there can be that.
  if (!placed && (EndsWithNoCase(source, "DLL") || EndsWithNoCase(source, "EXE")) &&
      FileExists(destination)) {
    Info(Format("File %s is locked for writing, comparing versions", destination.c_str()));
    const std::string sourceVersion = GetFileVersionString(source);
    const std::string destinationVersion = GetFileVersionString(destination);
    Info(Format("Source version: %s. Destination Version: %s", sourceVersion.c_str(),
                destinationVersion.c_str()));
    if (platform::CodePageEqualsNoCase(sourceVersion, destinationVersion)) {
      Info("Source and destination have the same version, no need to copy");
      placed = true;
    }
  }
  if (!replaced) platform::DeletePath(source);
  return placed;
}
