// os_check_helper.exe OUT: writes to OUT the OS verdict, the message for
// users without rights, the OS facts (major, minor, product type, service
// pack) and the OS check's log lines, as this process sees the machine. os_versions_win_test runs it under several Windows versions
// of the Wine prefix.
#include <fstream>
#include <string>

#include "debug_output_capture.h"
#include "environment/PlatformChecks.h"
#include "platform/SystemFacts.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  DebugOutputCapture capture;
  EnvironmentSettingsValues settings;
  settings.isolatedDeployment = true;
  for (int id : {113, 120, 121, 127, 128}) settings.resourceStrings[id] = "#" + std::to_string(id);
  PlatformChecks checks(settings);
  const bool verdict = checks.IsSupportedOSVersion();
  std::string message;
  checks.GetErrorMsgMissingAdminPermitions(message);

  platform::OsVersion os;
  platform::ReadOsVersion(os);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << (verdict ? "supported" : "refused") << "\n" << message << "\n"
      << os.major << " " << os.minor << " " << os.productType << " " << os.servicePackMajor
      << "\n";
  const std::string location = "\tCLoader::IsSupportedOSVersion\t";
  for (const std::string& line : capture.Lines()) {
    const size_t at = line.find(location);
    if (at == std::string::npos || line.find("Major[") != std::string::npos) continue;
    std::string text = line.substr(at + location.size());
    if (!text.empty() && text.back() == '\t') text.pop_back();
    out << text << "\n";
  }
  return out.good() ? 0 : 1;
}
