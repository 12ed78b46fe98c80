// The setup step of the install pass: setup programs, INF installations and
// Windows Installer packages that components bring along.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/InstallText.h"
#include "install/PostDownloadActions.h"
#include "install/ProcessRunner.h"
#include "platform/FileSystem.h"
#include "platform/InstallServices.h"
#include "platform/SystemFacts.h"

namespace {

constexpr char kLocation[] = "CLoader::PostDownloadActions";
constexpr char kInfInstall[] = "setupapi.dll,InstallHinfSection DefaultInstall 132 \"%s\"";

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

bool CanOpenForReading(const std::string& path) {
  platform::UniqueStdioFile file(platform::OpenStdioFile(path, "rb"));
  return file != nullptr;
}

// An exit code as the descriptor writes it; "-1" stands for 0xFFFFFFFF as
// Windows reports it.
uint32_t ExpectedExitCode(const std::string& text) {
  return static_cast<uint32_t>(std::strtoll(text.c_str(), nullptr, 10));
}

// Replaces url in the value part of a key line; other lines stay as they are.
std::string ReplaceInKeyLine(const std::string& line, const std::string& url) {
  const size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos || line[first] == ';' || line[first] == '[') return line;
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return line;
  return line.substr(0, equals + 1) + ReplaceAll(line.substr(equals + 1), "%URL%", url);
}

}  // namespace

bool ReplaceUrlInInf(const std::string& path, const std::string& url) {
  std::string text;
  {
    std::ifstream in(platform::ToNativePath(path), std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
  }
  // Each line keeps its own line end; AddReg, CopyFiles and other lines that
  // are no key lines are kept whole.
  std::string rewritten;
  rewritten.reserve(text.size());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    size_t contentEnd = end;
    while (contentEnd > start && (text[contentEnd - 1] == '\n' || text[contentEnd - 1] == '\r'))
      --contentEnd;
    rewritten += ReplaceInKeyLine(text.substr(start, contentEnd - start), url);
    rewritten.append(text, contentEnd, end - contentEnd);
    start = end;
  }
  std::ofstream out(platform::ToNativePath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(rewritten.data(), static_cast<std::streamsize>(rewritten.size()));
  out.close();
  return !out.fail();
}

void PostDownloadActions::RunSetup(const CDataStructure& record, const Paths& paths) {
  const std::string& fileName = record.destinationAsWritten;
  const std::string extension = LowerTail(fileName, 4);
  const std::string& destination = record.destination;
  if ((extension == ".exe" || extension == ".cmd") && destination.find('\\') != std::string::npos) {
    RunSetupProgram(record, paths);
  } else if (extension == ".cab" && destination.find('.') != std::string::npos) {
    const std::string inf = destination.substr(0, destination.rfind('.')) + ".inf";
    if (CanOpenForReading(inf)) InstallInf(inf);
  } else if (extension == ".inf") {
    if (!ReplaceUrlInInf(destination, record.sourceUrl))
      Log().Error(kLocation, Format("Cannot put the component's URL into %s", destination.c_str()));
    InstallInf(destination);
  } else if (extension == ".msi" && destination.find('\\') != std::string::npos) {
    InstallPackage(record, paths);
  }
}

void PostDownloadActions::RunSetupProgram(const CDataStructure& record, const Paths& paths) {
  // The program lies in the destination folder under its own name; the
  // folder part of the name as written is that folder already.
  const std::string program = FolderPart(record.destination) + "\\" + paths.name;
  const std::string arguments = ReplaceAll(record.setupOptions, "%IsolatedDeployment%",
                                           host_.IsolatedDeployment() ? "Y" : "N");
  Log().Info(kLocation, "Starting process:" + program);
  uint32_t exitCode = 0;
  if (RunInstaller(program, arguments, record.setupHidden, exitCode) == RunOutcome::TimedOut)
    return;
  if (!record.exitCode.empty() && exitCode != ExpectedExitCode(record.exitCode))
    host_.Failures().TraceError(program, "");
}

void PostDownloadActions::InstallInf(const std::string& inf) {
  if (!platform::WindowsInstallersAvailable()) {
    Log().Info(kLocation, "INF installation needs Windows; " + inf + " is not installed");
    return;
  }
  uint32_t exitCode = 0;
  RunInstaller("rundll32.exe", Format(kInfInstall, inf.c_str()), false, exitCode);
}

void PostDownloadActions::InstallPackage(const CDataStructure& record, const Paths& paths) {
  const std::string package = FolderPart(record.destination) + "\\" + paths.name;
  if (!platform::WindowsInstallersAvailable()) {
    Log().Info(kLocation, "Windows Installer packages need Windows; " + package +
                              " is not installed");
    return;
  }
  std::string systemFolder;
  platform::QuerySystemFolder(systemFolder);
  // msiexec alone is the program; the package and the descriptor's options
  // are its arguments.
  std::string arguments = "/i \"" + package + "\"";
  if (!record.setupOptions.empty()) arguments += " " + record.setupOptions;
  uint32_t exitCode = 0;
  RunInstaller(JoinPath(systemFolder, "msiexec.exe"), arguments, false, exitCode);
}

PostDownloadActions::RunOutcome PostDownloadActions::RunInstaller(const std::string& program,
                                                                  const std::string& arguments,
                                                                  bool hidden,
                                                                  uint32_t& exitCode) {
  const uint32_t timeout = host_.InstallTimeoutMs();
  if (!runExeAndWait(program, exitCode, arguments, timeout, hidden)) return RunOutcome::NotStarted;
  if (exitCode != platform::kStillActive || timeout == platform::kInfiniteWait)
    return RunOutcome::Ended;
  Log().Warning(kLocation, Format("%s did not end within %u ms; the deployment goes on without it",
                                  program.c_str(), timeout));
  host_.Failures().TraceError(program, "The installation did not end in time");
  return RunOutcome::TimedOut;
}
