#include "platform/posix/windows_command_line.h"

namespace platform::posix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  size_t position = 0;
  const size_t size = commandLine.size();

  std::string program;
  if (position < size && commandLine[position] == '"') {
    const size_t close = commandLine.find('"', position + 1);
    const size_t end = close == std::string::npos ? size : close;
    program = commandLine.substr(position + 1, end - position - 1);
    position = close == std::string::npos ? size : close + 1;
  } else {
    while (position < size && !IsBlank(commandLine[position])) program += commandLine[position++];
  }
  arguments.push_back(program);

  while (true) {
    while (position < size && IsBlank(commandLine[position])) ++position;
    if (position >= size) break;
    std::string argument;
    bool quoted = false;
    while (position < size && (quoted || !IsBlank(commandLine[position]))) {
      const char c = commandLine[position];
      if (c == '\\') {
        size_t backslashes = 0;
        while (position < size && commandLine[position] == '\\') {
          ++backslashes;
          ++position;
        }
        if (position < size && commandLine[position] == '"') {
          argument.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            argument += '"';
            ++position;
          }
        } else {
          argument.append(backslashes, '\\');
        }
      } else if (c == '"') {
        if (quoted && position + 1 < size && commandLine[position + 1] == '"') {
          argument += '"';
          position += 2;
        } else {
          quoted = !quoted;
          ++position;
        }
      } else {
        argument += c;
        ++position;
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace platform::posix
