#include "cli/DeployCommand.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>

#include "cli/DeployRun.h"
#include "cli/MachineRootOption.h"
#include "cli/Terminal.h"
#include "infra/SimpleLogger.h"

namespace {

int Refuse(const std::string& reason) {
  std::fprintf(stderr, "varnik-loader deploy: %s\n", reason.c_str());
  return kExitBadArguments;
}

// Files first, then the command line, so a --param overrides a file.
bool CollectAssignments(const DeployArguments& arguments,
                        std::vector<PropertyAssignment>& assignments, std::string& error) {
  for (const std::string& path : arguments.paramFiles) {
    if (!ReadAssignmentsFile(path, assignments, error)) return false;
  }
  for (const std::string& text : arguments.params) {
    PropertyAssignment assignment;
    if (!ParseAssignment(text, "--param " + text.substr(0, text.find('=')), assignment, error))
      return false;
    assignments.push_back(assignment);
  }
  return true;
}

}  // namespace

CLI::App* AddDeployCommand(CLI::App& app, DeployArguments& arguments) {
  CLI::App* deploy = app.add_subcommand(
      "deploy", "deploy the client from a server and start it, as the control on a page does");
  deploy->add_option("--param", arguments.params, "a property of the control (repeatable)")
      ->type_name("NAME=VALUE")
      ->allow_extra_args(false);
  deploy->add_option("--params", arguments.paramFiles,
                     "a file of NAME=VALUE lines, \"#\" starts a comment line (repeatable; "
                     "--param overrides)")
      ->type_name("FILE")
      ->allow_extra_args(false);
  deploy->add_option("--root", arguments.root,
                     "the folder of the Windows-shaped machine (Linux build; default $VARNIK_ROOT "
                     "or ~/.local/share/varnik)")
      ->type_name("DIR");
  deploy->add_flag("-q,--quiet", arguments.quiet, "no progress; only a failure report is printed");
  deploy->add_option("--events", arguments.events, "the control's events on standard output")
      ->type_name("FORMAT")
      ->check(CLI::IsMember({"json"}));
  deploy->add_option("--events-file", arguments.eventsFile,
                     "the control's events as JSON lines into a file (made anew)")
      ->type_name("PATH");
  deploy->footer("\n" + PropertyHelpText() +
                 "\nExit status: 0 deployed (ready, or the client started), 1 the deployment "
                 "failed and its report was shown, 2 bad arguments, 3 stopped without a failure "
                 "display (or interrupted).\n");
  return deploy;
}

int RunDeployCommand(const DeployArguments& arguments) {
  std::vector<PropertyAssignment> assignments;
  std::string error;
  if (!CollectAssignments(arguments, assignments, error)) return Refuse(error);
  if (!arguments.root.empty() && !UseMachineRoot(arguments.root, error)) return Refuse(error);
  // The first thing written, once everything else has passed.
  std::ofstream eventsFile;
  if (!arguments.eventsFile.empty()) {
    eventsFile.open(arguments.eventsFile, std::ios::binary | std::ios::trunc);
    if (!eventsFile) return Refuse("--events-file: cannot write \"" + arguments.eventsFile + "\"");
  }

  PrepareStandardStreams();
  StderrTerminal terminal;
  // JSON lines on the same terminal would land inside the redrawn lines.
  const bool jsonOnTerminal = !arguments.events.empty() && StdoutIsTerminal();
  const ProgressMode mode = arguments.quiet                             ? ProgressMode::Quiet
                            : terminal.Interactive() && !jsonOnTerminal ? ProgressMode::Interactive
                                                                        : ProgressMode::Plain;
  int status = kExitStopped;
  {
    NoContainer host;
    CLoader loader(host);
    DeployRun run(loader, terminal, mode, SystemEventClock());
    if (!arguments.events.empty()) run.AddJsonOutput(std::cout);
    if (eventsFile.is_open()) run.AddJsonOutput(eventsFile);
    status = run.Run(assignments);
  }
  SimpleLogger::ReleaseInstance();
  return status;
}
