// "varnik-loader deploy": its options on the command line, their checks,
// and the run.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

struct DeployArguments {
  std::vector<std::string> params;      // NAME=VALUE, in order
  std::vector<std::string> paramFiles;  // files of NAME=VALUE lines, in order
  std::string root;
  bool quiet = false;
  std::string events;  // "json" or empty
  std::string eventsFile;
};

// Adds the subcommand with its options and help to app.
CLI::App* AddDeployCommand(CLI::App& app, DeployArguments& arguments);

// Checks everything first (a bad name or value, an unreadable file, a root
// that cannot be one: exit 2 with the reason, nothing touched), then runs
// the session; the exit status.
int RunDeployCommand(const DeployArguments& arguments);
