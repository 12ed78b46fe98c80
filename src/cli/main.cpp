// varnik-loader: the command-line host of the loader.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/DeployCommand.h"
#include "infra/SimpleLogger.h"
#include "infra/SystemInfo.h"
#include "install/CCabinetExtractor.h"
#include "platform/SystemFacts.h"

namespace {

void PrintFolder(const char* label, bool found, const std::string& folder) {
  std::printf("%-22s %s\n", label, found ? folder.c_str() : "(unavailable)");
}

int PrintMachineFacts() {
  platform::OsVersion os;
  if (platform::ReadOsVersion(os)) {
    std::printf("%-22s %u.%u.%u (platform %u, product type %u)%s%s\n", "Windows version", os.major,
                os.minor, os.build, os.platformId, os.productType, os.servicePack.empty() ? "" : " ",
                os.servicePack.c_str());
  } else {
    std::printf("%-22s (unavailable)\n", "Windows version");
  }
  std::printf("%-22s %s\n", "Windows 8 or later", IsWindows8OrLater() ? "yes" : "no");
  std::string folder;
  bool found = platform::QueryWindowsFolder(folder);
  PrintFolder("Windows folder", found, folder);
  found = platform::QuerySystemFolder(folder);
  PrintFolder("System folder", found, folder);
  found = platform::QueryTempFolder(folder);
  PrintFolder("Temporary folder", found, folder);
  const std::string local = GetLocalAppDataFolder();
  PrintFolder("Local app data", !local.empty(), local);
  const std::string common = GetCommonAppDataFolder();
  PrintFolder("Common app data", !common.empty(), common);
  std::printf("%-22s %s\n", "User is administrator", platform::IsUserAdministrator() ? "yes" : "no");
  std::printf("%-22s %u\n", "Process id", platform::CurrentProcessId());
  const platform::LocalTime now = platform::CurrentLocalTime();
  std::printf("%-22s %04d-%02d-%02d %02d:%02d:%02d.%03d\n", "Local time", now.year, now.month,
              now.day, now.hour, now.minute, now.second, now.millisecond);
  std::printf("%-22s %s\n", "New GUID", NewGuidString().c_str());
  return 0;
}

// Paths are Windows paths, or host paths on posix (they start with "/").
int ExtractCabinet(const std::string& cabinet, const std::string& folder) {
  std::unique_ptr<CCabinetExtractor> extractor = CCabinetExtractor::Create();
  if (!extractor) {
    std::fprintf(stderr, "cannot create a cabinet extraction context\n");
    return 1;
  }
  if (!extractor->IsCabinet(cabinet)) {
    std::fprintf(stderr, "%s is not a cabinet\n", cabinet.c_str());
    return 1;
  }
  if (!extractor->Copy(cabinet, folder)) {
    std::fprintf(stderr, "cannot extract %s into %s\n", cabinet.c_str(), folder.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app("varnik-loader: the command-line host of the loader", "varnik-loader");
  bool version = false;
  app.add_flag("--version", version, "print the loader's version");
  CLI::App* machine = app.add_subcommand("machine", "print the machine facts the loader sees");
  std::string cabinet, folder;
  CLI::App* extract = app.add_subcommand("extract", "unpack every member of a cabinet into a folder");
  extract->add_option("cabinet", cabinet, "the cabinet file")->required();
  extract->add_option("folder", folder, "where its members go")->required();
  DeployArguments deployArguments;
  CLI::App* deploy = AddDeployCommand(app, deployArguments);
  app.require_subcommand(0, 1);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    app.exit(error);
    return 2;
  }

  int status = 2;
  if (version) {
    const std::string text = GetLoaderVersion();
    std::printf("varnik-loader %s\n", text.empty() ? "UNKNOWN_VERSION" : text.c_str());
    status = 0;
  } else if (machine->parsed()) {
    SimpleLogger::GetInstance()->Info("varnik-loader", "Reporting machine facts");
    status = PrintMachineFacts();
  } else if (extract->parsed()) {
    status = ExtractCabinet(cabinet, folder);
  } else if (deploy->parsed()) {
    return RunDeployCommand(deployArguments);
  } else {
    std::fputs(app.help().c_str(), stderr);
  }
  SimpleLogger::ReleaseInstance();
  return status;
}
