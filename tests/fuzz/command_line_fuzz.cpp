// Windows command-line splitting: any text splits into a program and its
// arguments, and arguments quoted the way Windows programs quote them split
// back into the same arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/posix/windows_command_line.h"

using platform::posix::SplitWindowsCommandLine;

namespace {

// The usual quoting for the C runtime's rules: quotes around anything
// empty or holding a blank or a quote; backslashes doubled before a quote
// and before the closing quote; quotes escaped with a backslash.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

std::string Joined(const std::string& program, const std::vector<std::string>& arguments) {
  std::string line = "\"" + program + "\"";
  for (size_t i = 1; i < arguments.size(); ++i) line += " " + Quoted(arguments[i]);
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line = BytesOf(data, size);
  std::vector<std::string> arguments = SplitWindowsCommandLine(line);
  FUZZ_CHECK(!arguments.empty());
  // The program is passed quoted, as the process runner passes it; a
  // program name cannot hold a quote, so one that does is renamed.
  if (arguments[0].find('"') != std::string::npos) arguments[0] = "program.exe";
  FUZZ_CHECK(SplitWindowsCommandLine(Joined(arguments[0], arguments)) == arguments);
  return 0;
}
