#include "install/FilePlacement.h"

#include <cstdio>
#include <vector>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "infra/SystemInfo.h"
#include "platform/FileSystem.h"

namespace {

constexpr char kLocation[] = "MoveFile2Destination";
constexpr size_t kCopyBufferSize = 65536;

void Info(const std::string& message) { SimpleLogger::GetInstance()->Info(kLocation, message); }

// Copies source into a new file at target; a copy that fails half way is
// removed.
bool CopyWhole(const std::string& source, const std::string& target) {
  platform::UniqueStdioFile in(platform::OpenStdioFile(source, "rb"));
  if (!in) return false;
  platform::UniqueStdioFile out(platform::OpenStdioFile(target, "wb"));
  if (!out) return false;
  std::vector<char> buffer(kCopyBufferSize);
  bool ok = true;
  for (;;) {
    const size_t read = std::fread(buffer.data(), 1, buffer.size(), in.get());
    if (read > 0 && std::fwrite(buffer.data(), 1, read, out.get()) != read) {
      ok = false;
      break;
    }
    if (read < buffer.size()) {
      ok = !std::ferror(in.get());
      break;
    }
  }
  ok = std::fflush(out.get()) == 0 && ok;
  ok = std::fclose(out.release()) == 0 && ok;
  if (!ok) platform::DeletePath(target);
  return ok;
}

// The copy beside the destination, then one rename over it.
bool ReplaceDestination(const std::string& source, const std::string& destination) {
  const std::string beside = destination + "." + NewGuidString().substr(0, 8) + ".new";
  if (!CopyWhole(source, beside)) return false;
  if (platform::MoveFileReplacing(beside, destination) == platform::kErrorSuccess) return true;
  platform::DeletePath(beside);
  return false;
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

bool MoveFile2Destination(const std::string& source, const std::string& destination) {
  Info(Format("Create directories recursive, %s", destination.c_str()));
  const size_t lastSeparator = destination.rfind('\\');
  if (lastSeparator != std::string::npos && lastSeparator > 0)
    platform::CreateDirectoryWithParents(destination.substr(0, lastSeparator));

  bool placed = ReplaceDestination(source, destination);
  // A loaded library or program cannot be replaced; the one in place will
  // do when it is the same version. Only a file that is there can be that.
  if (!placed && (EndsWithNoCase(source, "DLL") || EndsWithNoCase(source, "EXE")) &&
      FileExists(destination)) {
    Info(Format("File %s is locked for writing, comparing versions", destination.c_str()));
    const std::string sourceVersion = GetFileVersionString(source);
    const std::string destinationVersion = GetFileVersionString(destination);
    Info(Format("Source version: %s. Destination Version: %s", sourceVersion.c_str(),
                destinationVersion.c_str()));
    if (EqualsNoCase(sourceVersion, destinationVersion)) {
      Info("Source and destination have the same version, no need to copy");
      placed = true;
    }
  }
  platform::DeletePath(source);
  return placed;
}
