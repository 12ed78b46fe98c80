// The plug-in extension list a server sends: any bytes read as lines the
// way the descriptor merge reads them, and no line classified as a cabinet
// may name a file outside the Extensions folder, whichever separator the
// merge turns it to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "descriptors/PluginList.h"
#include "fuzz_support.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Where Windows puts line below a folder: components split at either
// separator, trailing dots and blanks dropped, "." staying and ".." going
// up. False when it leaves the folder or ends on the folder itself.
bool StaysBelowFolder(const std::string& line) {
  if (line.empty() || IsSeparator(line[0]) || line.find(':') != std::string::npos) return false;
  int depth = 0;
  size_t start = 0;
  while (start <= line.size()) {
    size_t end = start;
    while (end < line.size() && !IsSeparator(line[end])) ++end;
    std::string component = line.substr(start, end - start);
    const size_t kept = component.find_last_not_of(". ");
    component = kept == std::string::npos ? std::string() : component.substr(0, kept + 1);
    const std::string raw = line.substr(start, end - start);
    if (raw == "..") {
      if (--depth < 0) return false;
    } else if (!component.empty()) {
      ++depth;
    } else if (!raw.empty() && raw != ".") {
      return false;  // dots and blanks only: Windows may read it as a way up
    }
    start = end + 1;
  }
  return depth > 0;
}

std::string WithBackslashes(std::string text) {
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = BytesOf(data, size);
  const std::string path = FuzzScratch::Instance().WriteFile("plugins.txt", bytes);
  PluginListReader reader;
  FUZZ_CHECK(reader.Open(path));
  std::string line;
  size_t lines = 0, characters = 0;
  while (reader.Next(line)) {
    ++lines;
    FUZZ_CHECK(lines <= bytes.size());
    FUZZ_CHECK(line.size() <= PluginListReader::kMaxLine);
    FUZZ_CHECK(line.find('\0') == std::string::npos);
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    characters += line.size();
    FUZZ_CHECK(characters <= bytes.size());

    // The download classifies the line as it stands, the merge after
    // turning "/" into "\": both must agree.
    const PluginLine kind = ClassifyPluginLine(line);
    FUZZ_CHECK(kind == ClassifyPluginLine(WithBackslashes(line)));
    if (kind == PluginLine::Cabinet) FUZZ_CHECK(StaysBelowFolder(line));
  }
  FUZZ_CHECK(!reader.Next(line));
  return 0;
}
