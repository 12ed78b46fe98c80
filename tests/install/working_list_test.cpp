#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/WorkingList.h"

namespace {

CDataStructure Named(const std::string& name) {
  CDataStructure record;
  record.destinationAsWritten = name;
  return record;
}

std::vector<std::string> Names(const std::vector<CDataStructure>& records) {
  std::vector<std::string> names;
  for (const CDataStructure& record : records) names.push_back(record.destinationAsWritten);
  return names;
}

TEST(WorkingListTest, PrerequisitesLeadAndTheLastOneFirst) {
  CDataStructure net2 = Named("net2.exe");
  net2.dotNetVersion = "2.0";
  CDataStructure net4 = Named("net4.exe");
  net4.dotNetVersion = "4.0";
  EXPECT_EQ((std::vector<std::string>{"net4.exe", "net2.exe", "a.dll", "b.dll"}),
            Names(BuildWorkingList({Named("a.dll"), net2, Named("b.dll"), net4})));
}

TEST(WorkingListTest, RegistryEntriesThenExtensibilityThenTheFirstPackage) {
  CDataStructure package1 = Named("first.msi");
  package1.msiMarker = "3.1";
  CDataStructure package2 = Named("second.msi");
  package2.msiMarker = "3.1";
  CDataStructure net = Named("net.exe");
  net.dotNetVersion = "4.0";
  const std::vector<CDataStructure> records = {
      Named("Bin/ExtensibilityAPI.DLL"), Named("a.dll"), package1, package2, net,
      Named("extensibilityapi.dll"), Named("Setup/RegistryEntries.cab"),
      Named("registryentries.cab")};
  EXPECT_EQ((std::vector<std::string>{"Setup/RegistryEntries.cab", "Bin/ExtensibilityAPI.DLL",
                                      "first.msi", "net.exe", "a.dll", "second.msi",
                                      "extensibilityapi.dll", "registryentries.cab"}),
            Names(BuildWorkingList(records)));
}

}  // namespace
