// The plug-in extension list: a plain text file naming one extension
// descriptor cabinet per line, relative to the Extensions folder.
#pragma once

#include <string>

#include "platform/FileSystem.h"

// Reads the list the way a text stream's getline into a 1024-byte buffer
// does: CR LF and LF end a line; a line ends at its first zero byte; a line
// longer than 1023 characters yields its first 1023 and ends the reading.
class PluginListReader {
 public:
  static constexpr size_t kMaxLine = 1023;

  // False when the file cannot be opened.
  bool Open(const std::string& path);
  // The next line from which at least one character (its line end counts)
  // was read; false at the end.
  bool Next(std::string& line);

 private:
  platform::UniqueStdioFile file_;
  bool ended_ = false;
};

enum class PluginLine {
  Cabinet,            // a file below the Extensions folder
  Folder,             // ends in "\", "/" or a "." of its own, or is empty: names no file
  OutsideExtensions,  // absolute, a drive, a stream, or a way up with ".."
};

PluginLine ClassifyPluginLine(const std::string& line);
