#include "merge_fixture.h"

#include <cstdlib>

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "test_files.h"

MergeTest::MergeTest()
    : server_(machine_.ScratchFolder() + "\\server"),
      deploy_(machine_.ScratchFolder() + "\\deploy"),
      merge_(sources_, merged_, downloader_, failures_) {
  platform::CreateDirectoryWithParents(server_ + "\\Extensions");
  platform::CreateDirectoryWithParents(deploy_);
  downloader_.Map(std::string(kRootUrl) + "/", server_);
  sources_.tkRootUrl = kRootUrl;
  sources_.deploymentFolder = deploy_;
  // Seed 1: the first suffix is "41000000".
  merge_.SetSeedSource([] { return 1u; });
}

std::string MergeTest::DescriptorFixture(const std::string& name) const {
  const char* folder = std::getenv("VARNIK_DESCRIPTOR_FIXTURES");
  if (!folder || !*folder) {
    ADD_FAILURE() << "VARNIK_DESCRIPTOR_FIXTURES is not set; run the tests through ctest";
    return name;
  }
  return FromBuildMachine(std::string(folder) + "/" + name);
}

std::string MergeTest::ServerUrl(const std::string& serverPath) const {
  return std::string(kRootUrl) + "/" + serverPath;
}

void MergeTest::Serve(const std::string& fixture, const std::string& serverPath) {
  ServeText(serverPath, ReadTestFile(DescriptorFixture(fixture)));
}

void MergeTest::ServeText(const std::string& serverPath, const std::string& bytes) {
  const std::string path = JoinPath(server_, ReplaceAll(serverPath, "/", "\\"));
  platform::CreateDirectoryWithParents(path.substr(0, path.rfind('\\')));
  ASSERT_TRUE(WriteTestFile(path, bytes)) << path;
}

void MergeTest::UseMain(const std::string& name) {
  sources_.setupFileUrl = ServerUrl("setup/" + name);
  sources_.names.setupFile = name;
}

void MergeTest::UseExtension(const std::string& name) {
  sources_.setupExtFileUrl = ServerUrl("setup/" + name);
  sources_.names.setupExtFile = name;
}

void MergeTest::UsePluginList(const std::string& name) {
  sources_.pluginExtFilesUrl = ServerUrl("Extensions/" + name);
  sources_.pluginExtFilesName = name;
}

std::string MergeTest::SectionNames() const {
  CIniFile::NameSet names;
  merged_.GetSectionNames(names);
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : "|") + name;
  return text;
}

bool MergeTest::Logged(const std::string& level, const std::string& location,
                       const std::string& message) const {
  return debug_.Contains(LogLine(level, location, message));
}
