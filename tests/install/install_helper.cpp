// Stands in for the programs the post-download actions start: setup
// programs, mmerge.exe, COM executables, regasm.exe. Each run appends one
// line to "<own file name>.runs.txt" beside the program: its arguments in
// brackets, and on Windows whether its window was to be hidden. Then:
//   "exit <code>" among the arguments   ends with that code
//   "sleep <ms>" among the arguments    sleeps that long first
//   "<own file name>.exit.txt" beside it holds the exit code otherwise.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace {

std::string OwnPath() {
#ifdef _WIN32
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
#else
  char path[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
  return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
#endif
}

const char* WindowState() {
#ifdef _WIN32
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_HIDE ? " hidden"
                                                                                   : " shown";
#else
  return "";
#endif
}

}  // namespace

int main(int argc, char** argv) {
  const std::string self = OwnPath();
  std::string line;
  int exitCode = 0;
  {
    std::ifstream configured(self + ".exit.txt");
    configured >> exitCode;
  }
  for (int i = 1; i < argc; ++i) {
    if (!line.empty()) line += ' ';
    line += std::string("[") + argv[i] + "]";
    if (i + 1 < argc && std::strcmp(argv[i], "exit") == 0) exitCode = std::atoi(argv[i + 1]);
    if (i + 1 < argc && std::strcmp(argv[i], "sleep") == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[i + 1])));
  }
  std::ofstream runs(self + ".runs.txt", std::ios::app);
  runs << line << WindowState() << "\n";
  return exitCode;
}
