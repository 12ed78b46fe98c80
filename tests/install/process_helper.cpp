// A program for the process-runner tests to start:
//   process_helper exit <code>       ends with that exit code
//   process_helper sleep <ms>        sleeps, then ends with 0
//   process_helper echo <file>       writes its working folder and then each
//                                    further argument, one per line, to file
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "sleep") == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return 0;
  }
  if (argc >= 3 && std::strcmp(argv[1], "echo") == 0) {
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 100;
    std::fprintf(out, "%s\n", std::filesystem::current_path().string().c_str());
    for (int i = 3; i < argc; ++i) std::fprintf(out, "[%s]\n", argv[i]);
    return std::fclose(out) == 0 ? 0 : 101;
  }
  return 102;
}
