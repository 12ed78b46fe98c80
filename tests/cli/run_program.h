// Runs a built program with arguments, standard output and standard error
// into files, and waits for it.
#pragma once

#include <string>
#include <vector>

struct ProgramResult {
  bool started = false;
  int exitCode = -1;
  std::string out, err;
};

// folder: where the output files go (a host path on posix, a Windows path
// on Windows). The program inherits this process's environment.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder);

#ifndef _WIN32
// The same with standard output a pipe nobody reads any more.
ProgramResult RunProgramWithClosedStdout(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::string& folder);
// The same, sent SIGINT after delayMs, as Ctrl-C at a terminal sends it.
ProgramResult RunProgramInterrupted(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const std::string& folder, int delayMs);
#endif
