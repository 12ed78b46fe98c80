// The demo's client application: it shows the command line the loader
// started it with, one argument a line, on standard error (standard output
// may be the loader's channel of JSON events), and writes the same lines to
// "started-with.txt" in its working folder (the deployment folder), where
// a reader without its standard output (a test, a Windows console the
// loader does not share) finds them. It ends at once with exit code 0, so
// the loader's end does not wait for it.
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> lines;
  lines.push_back("demo client started with:");
  for (int i = 1; i < argc; ++i) lines.push_back(std::string("  ") + argv[i]);

  for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  // Written last: whoever waits for the record has seen the lines too.
  if (FILE* record = std::fopen("started-with.txt", "wb")) {
    for (const std::string& line : lines) std::fprintf(record, "%s\n", line.c_str());
    std::fclose(record);
  }
  return 0;
}
