// varnik-loader: the command-line host of the loader.
#include <cstdio>
#include <cstring>
#include <string>

#include "infra/SimpleLogger.h"
#include "infra/SystemInfo.h"
#include "install/CCabinetExtractor.h"
#include "platform/SystemFacts.h"

namespace {

void PrintUsage() {
  std::printf(
      "usage: varnik-loader <command>\n"
      "  --version   print the loader's version\n"
      "  machine     print the machine facts the loader sees\n"
      "  extract <cabinet> <folder>\n"
      "              unpack every member of a cabinet into a folder\n");
}

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
  int status = 2;
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    const std::string version = GetLoaderVersion();
    std::printf("varnik-loader %s\n", version.empty() ? "UNKNOWN_VERSION" : version.c_str());
    status = 0;
  } else if (argc == 2 && std::strcmp(argv[1], "machine") == 0) {
    SimpleLogger::GetInstance()->Info("varnik-loader", "Reporting machine facts");
    status = PrintMachineFacts();
  } else if (argc == 4 && std::strcmp(argv[1], "extract") == 0) {
    status = ExtractCabinet(argv[2], argv[3]);
  } else {
    PrintUsage();
  }
  SimpleLogger::ReleaseInstance();
  return status;
}
