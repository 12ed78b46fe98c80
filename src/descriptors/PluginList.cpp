#include "descriptors/PluginList.h"

#include "install/CabinetMemberPath.h"

bool PluginListReader::Open(const std::string& path) {
  file_.reset(platform::OpenStdioFile(path, "rb"));
  ended_ = !file_;
  return file_ != nullptr;
}

bool PluginListReader::Next(std::string& line) {
  line.clear();
  if (ended_) return false;
  FILE* file = file_.get();
  bool readAny = false;
  bool cutAtZero = false;
  size_t stored = 0;  // bytes in the buffer, zero bytes and what follows them included
  for (;;) {
    const int c = std::getc(file);
    if (c == EOF) {
      ended_ = true;
      return readAny;
    }
    readAny = true;
    if (c == '\r') {
      // Text mode reads CR LF as LF; a CR on its own stays.
      const int next = std::getc(file);
      if (next == '\n') return true;
      if (next != EOF) std::ungetc(next, file);
    } else if (c == '\n') {
      return true;
    }
    if (stored == kMaxLine) {
      // The buffer is full and the line goes on: that ends the reading.
      ended_ = true;
      return true;
    }
    ++stored;
    // The line is used as a C string: it ends at its first zero byte.
    if (c == '\0') cutAtZero = true;
    if (!cutAtZero) line.push_back(static_cast<char>(c));
  }
}

PluginLine ClassifyPluginLine(const std::string& line) {
  // A line ending in a separator or in "." names the folder, not a file in it.
  const size_t lastSeparator = line.find_last_of("\\/");
  const std::string last = lastSeparator == std::string::npos ? line : line.substr(lastSeparator + 1);
  if (last.empty() || last == ".") return PluginLine::Folder;
  return IsContainedMemberPath(line) ? PluginLine::Cabinet : PluginLine::OutsideExtensions;
}
