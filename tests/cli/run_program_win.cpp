#include <windows.h>

#include "run_program.h"
#include "test_files.h"

namespace {

// The quoting the C runtime's argument splitting undoes.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

HANDLE OpenInherited(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES security{sizeof(security), nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
  ProgramResult result;
  const std::string outPath = folder + "\\stdout.txt", errPath = folder + "\\stderr.txt";
  std::string commandLine = Quoted(program);
  for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);
  HANDLE input = OpenInherited("NUL", false);
  HANDLE output = OpenInherited(outPath, true);
  HANDLE error = OpenInherited(errPath, true);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process{};
  result.started = output != INVALID_HANDLE_VALUE && error != INVALID_HANDLE_VALUE &&
                   CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  nullptr, &startup, &process);
  for (HANDLE handle : {input, output, error}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  if (!result.started) return result;
  // A program that hangs must not outlive the test: it holds the test's
  // inherited output, which CTest waits on.
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_TIMEOUT)
    TerminateProcess(process.hProcess, 259);
  DWORD code = 0;
  if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = static_cast<int>(code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.out = ReadTestFile(outPath);
  result.err = ReadTestFile(errPath);
  return result;
}
