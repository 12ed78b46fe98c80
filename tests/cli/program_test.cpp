// varnik-loader itself, run as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/PropertyCatalogue.h"
#include "run_program.h"
#include "test_files.h"
#include "test_machine.h"

namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

class ProgramTest : public MachineTest {
 protected:
  ProgramTest() {
    const std::string name =
        "varnik-cli-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
        ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = fs::temp_directory_path() / name;
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  ~ProgramTest() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  ProgramResult Run(const std::vector<std::string>& arguments) {
    const ProgramResult result =
        RunProgram(FromBuildMachine(VARNIK_LOADER_PROGRAM), arguments, folder_.string());
    EXPECT_TRUE(result.started);
    return result;
  }
  std::string InFolder(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(ProgramTest, VersionAndTheCommandsWithoutOne) {
  ProgramResult result = Run({"--version"});
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ(0u, result.out.rfind("varnik-loader 0.", 0)) << result.out;

  result = Run({});
  EXPECT_EQ(2, result.exitCode);
  for (const char* command : {"deploy", "machine", "extract"})
    EXPECT_TRUE(Contains(result.err, command)) << result.err;
}

TEST_F(ProgramTest, BadArgumentsEndWithTwoBeforeAnythingIsWritten) {
  const std::string events = InFolder("events.jsonl");
  const std::string aFile = InFolder("a-file");
  ASSERT_TRUE(WriteTestFile(aFile, "BrowserUI=true\nProgColor=red\n"));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--param", "Nope=1"}, "unknown property \"Nope\""},
      {{"--param", "SetupFile=http://h/s.cab", "--param", "DeploymentLocation=C:\\x"},
       "DeploymentLocation is read only"},
      {{"--param", "BrowserUI=maybe"}, "BrowserUI takes true, false or a number"},
      {{"--param", "SetupFile"}, "expected NAME=VALUE"},
      {{"--params", aFile}, aFile + ":2: ProgColor takes"},
      {{"--params", InFolder("missing.txt")}, "cannot read the properties file"},
      {{"--events", "xml"}, "xml"},
      {{"--param", "TkRootURL=http://h", "stray"}, "stray"},
      {{"--frobnicate"}, "frobnicate"},
#ifdef _WIN32
      {{"--root", "C:\\machine"}, "--root"},
#else
      {{"--root", aFile}, "is not a folder"},
#endif
  };
  for (const auto& [arguments, message] : cases) {
    std::vector<std::string> command = {"deploy", "--events-file", events, "--events", "json"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProgramResult result = Run(command);
    EXPECT_EQ(2, result.exitCode) << message;
    EXPECT_TRUE(Contains(result.err, message)) << result.err;
    EXPECT_EQ("", result.out) << message;
    EXPECT_FALSE(fs::exists(events)) << message;
  }
#ifndef _WIN32
  // Not even the machine root is made.
  const std::string root = InFolder("new-root");
  EXPECT_EQ(2, Run({"deploy", "--root", root, "--param", "Nope=1"}).exitCode);
  EXPECT_FALSE(fs::exists(root));
#endif
}

TEST_F(ProgramTest, HelpListsEveryPropertyWithItsMeaningAndTheExitStatuses) {
  const ProgramResult result = Run({"deploy", "--help"});
  EXPECT_EQ(0, result.exitCode);
  for (const PropertyEntry& property : PropertyCatalogue()) {
    EXPECT_TRUE(Contains(result.out, "  " + property.name + " (")) << property.name;
    EXPECT_TRUE(Contains(result.out, property.meaning)) << property.meaning;
  }
  for (const char* option :
       {"--param NAME=VALUE", "--params FILE", "--root DIR", "--quiet", "--events FORMAT:{json}",
        "--events-file PATH", "Exit status: 0 deployed"})
    EXPECT_TRUE(Contains(result.out, option)) << option;
}

TEST_F(ProgramTest, EventsAsJsonOfASessionThatStopsEarly) {
  const std::string events = InFolder("events.jsonl");
  std::vector<std::string> command = {"deploy", "--events", "json", "--events-file", events,
                                      "--param", "TkRootURL=http://127.0.0.1:9/root/",
                                      "--param", "SetupFile=http://127.0.0.1:9/root/Setup.cab",
                                      // an installation-package page without the package
                                      "--param", "MsiDeployment=true",
                                      "--param", "IsolatedDeployment=true"};
#ifndef _WIN32
  const std::string root = InFolder("machine");
  command.insert(command.end(), {"--root", root});
#endif
  ProgramResult result = Run(command);
  EXPECT_EQ(3, result.exitCode) << result.err;
  const std::string reason = "Could not find an MSI deployment, but MsiDeployment property was set to true";
  EXPECT_EQ("Stopped without a failure: " + reason, result.err.substr(0, result.err.find_first_of("\r\n")));
  // One object per line, "\n" alone at the end on every target.
  ASSERT_FALSE(result.out.empty());
  EXPECT_EQ(std::string::npos, result.out.find('\r'));
  EXPECT_EQ('\n', result.out.back());
  for (const std::string& text : {result.out, ReadTestFile(events)}) {
    std::istringstream lines(text);
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    const Json end = Json::parse(line);
    std::vector<std::string> keys;
    for (auto it = end.begin(); it != end.end(); ++it) keys.push_back(it.key());
    EXPECT_EQ((std::vector<std::string>{"time", "event", "outcome", "exitCode", "reason"}), keys);
    EXPECT_EQ("end", end["event"]);
    EXPECT_EQ("stopped", end["outcome"]);
    EXPECT_EQ(3, end["exitCode"]);
    EXPECT_EQ(reason, end["reason"]);
    EXPECT_EQ(24u, std::string(end["time"]).size());
    EXPECT_FALSE(std::getline(lines, line)) << line;
  }
#ifndef _WIN32
  EXPECT_TRUE(fs::is_directory(root));  // the session worked on the machine given
#endif

  command.push_back("--quiet");
  result = Run(command);
  EXPECT_EQ(3, result.exitCode);
  EXPECT_EQ("", result.err);

#ifndef _WIN32
  // A reader of the events that has gone away does not end the run.
  result = RunProgramWithClosedStdout(VARNIK_LOADER_PROGRAM, command, folder_.string());
  EXPECT_TRUE(result.started);
  EXPECT_EQ(3, result.exitCode);
#endif
}

}  // namespace
