#include "install/RegistryImport.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/ProcessRunner.h"
#include "install/RegistryFileText.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/InstallServices.h"
#include "platform/SystemFacts.h"
#include "platform/TextCompare.h"

namespace {

constexpr char kTargetDirMacro[] = "[TARGETDIR]";
constexpr char kTargetDirKey[] = "TARGETDIR";
constexpr uint32_t kRegImportTimeoutMs = 100000;

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

// The system's reg.exe: along the search path, else in the Windows folder.
std::string RegProgram() {
  std::string found;
  if (platform::SearchForFile("", "reg.exe", found) == platform::kErrorSuccess) return found;
  std::string windows;
  platform::QueryWindowsFolder(windows);
  return windows + "\\reg.exe";
}

void RunRegImport(const std::string& file) {
  const char* const location = "CLoader::ImportRegFile";
  uint32_t exitCode = 0;
  const std::string program = RegProgram();
  if (!runExeAndWait(program, exitCode, Format("%s \"%s\"", "import", file.c_str()),
                     kRegImportTimeoutMs, true)) {
    Log().Error(location, Format("%s could not be run", program.c_str()));
  } else if (exitCode != 0) {
    Log().Warning(location, Format("%s import ended with exit code %u", program.c_str(), exitCode));
  }
}

void MergeOrImport(const std::string& file) {
  const char* const location = "CLoader::ImportRegFile";
  std::string detail;
  switch (platform::MergeRegistryFile(file, detail)) {
    case platform::RegistryFileMerge::NotSupported:
      RunRegImport(file);
      return;
    case platform::RegistryFileMerge::Merged:
      Log().Info(location, Format("Registry file merged into the hives: %s", file.c_str()));
      if (!detail.empty()) Log().Warning(location, Format("Left out: %s", detail.c_str()));
      return;
    case platform::RegistryFileMerge::Refused:
    case platform::RegistryFileMerge::Failed:
      Log().Error(location, Format("Registry file %s not imported: %s", file.c_str(),
                                   detail.c_str()));
      return;
  }
}

}  // namespace

void ImportRegFile(const std::string& registryFile, const std::string& targetFolder) {
  const char* const location = "CLoader::ImportRegFile";
  try {
    std::string temporaryFolder;
    std::string copy;
    if (!platform::QueryTempFolder(temporaryFolder) ||
        !platform::CreateTempFileName(temporaryFolder, "NEW", copy)) {
      Log().Error(location, Format("No temporary file for importing %s", registryFile.c_str()));
      return;
    }
    // An import of a copy that could not be made would import nothing, or
    // an older file of the same name.
    if (CopyWithReplacement(registryFile, copy, kTargetDirMacro, targetFolder)) {
      MergeOrImport(copy);
    } else {
      Log().Error(location, Format("Cannot copy %s to %s", registryFile.c_str(), copy.c_str()));
    }
    platform::DeletePath(copy);
  } catch (const std::exception& error) {
    Log().Error(location, error.what());
  } catch (...) {
    Log().Error(location, "Unknown exception");
  }
}

bool CopyWithReplacement(const std::string& source, const std::string& target,
                         const std::string& search, const std::string& replacement) {
  RegistryFileText text;
  if (!text.Load(source)) return false;
  // Once shortened, the short form serves the following lines too.
  std::string current = replacement;
  for (size_t line = 0; line < text.LineCount(); ++line) {
    std::string shortForm;
    if (text.LineContains(line, "~") && platform::QueryShortPathName(current, shortForm))
      current = shortForm;
    text.ReplaceInLine(line, search, current);
  }
  return text.Save(target);
}

bool ApplyRegistrySubstitutions(CIniFile& setup, const std::string& section,
                                const std::string& source, const std::string& target) {
  const char* const location = "CLoader::ApplyRegistrySubstitutions";
  RegistryFileText text;
  if (!text.Load(source)) {
    Log().Error(location, Format("Cannot read %s", source.c_str()));
    return false;
  }
  CIniFile::KeyTable keys;
  setup.GetSection(section, keys);
  for (const auto& [key, value] : keys) {
    if (!platform::CodePageEqualsNoCase(key, kTargetDirKey)) text.ReplaceEverywhere(key, value);
  }
  if (!text.Save(target)) {
    Log().Error(location, Format("Cannot write %s", target.c_str()));
    return false;
  }
  return true;
}
