// Whole deployments from the page's properties to the started client:
// first deployment, re-runs with nothing, one component or the flavour
// changed, and the runs that end without a client.
#include <gtest/gtest.h>

#include "deployment/CIniFile.h"
#include "test_files.h"
#include "whole_deployment_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class WholeDeployment : public WholeDeploymentTest {};

TEST_F(WholeDeployment, FirstDeploymentPlacesRecordsAndStartsTheClient) {
  const Deployment run = Deploy();
  EXPECT_EQ("client-started", run.end);
  EXPECT_EQ("", run.shown);
  for (const std::string& e : run.events) std::printf("E %s\n", e.c_str());
  for (const std::string& e : run.requests) std::printf("R %s\n", e.c_str());
  for (const std::string& e : debug_.Lines()) std::printf("L %s\n", e.c_str());
  std::printf("folder %s\n", run.folder.c_str());
}

}  // namespace
