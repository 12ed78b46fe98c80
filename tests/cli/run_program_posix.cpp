#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

#include "run_program.h"
#include "test_files.h"

extern char** environ;

namespace {

// stdoutPipe: a pipe's write end for standard output instead of a file;
// interruptAfterMs: SIGINT that long after the start (negative: none).
ProgramResult Run(const std::string& program, const std::vector<std::string>& arguments,
                  const std::string& folder, int stdoutPipe, int interruptAfterMs = -1) {
  ProgramResult result;
  const std::string outPath = folder + "/stdout.txt", errPath = folder + "/stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (stdoutPipe >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdoutPipe, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  }
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  result.started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!result.started) return result;
  if (interruptAfterMs >= 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(interruptAfterMs));
    kill(child, SIGINT);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (stdoutPipe < 0) result.out = ReadTestFile(outPath);
  result.err = ReadTestFile(errPath);
  return result;
}

}  // namespace

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
  return Run(program, arguments, folder, -1);
}

ProgramResult RunProgramWithClosedStdout(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::string& folder) {
  int fds[2];
  if (pipe(fds) != 0) return ProgramResult();
  close(fds[0]);
  const ProgramResult result = Run(program, arguments, folder, fds[1]);
  close(fds[1]);
  return result;
}

ProgramResult RunProgramInterrupted(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const std::string& folder, int delayMs) {
  return Run(program, arguments, folder, -1, delayMs);
}
