#include "merge_fixture.h"

#include <cstdlib>

#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"
#include "test_files.h"

MergeTestBase::MergeTestBase(const std::string& rootUrl)
    : rootUrl_(rootUrl), deploy_(machine_.ScratchFolder() + "\\deploy") {
  platform::CreateDirectoryWithParents(deploy_);
  sources_.tkRootUrl = rootUrl_;
  sources_.deploymentFolder = deploy_;
}

void MergeTestBase::MergeThrough(FileDownloader& downloader) {
  merge_ = std::make_unique<DescriptorMerge>(sources_, merged_, downloader, failures_);
  // Seed 1: the first suffix is "41000000".
  merge_->SetSeedSource([] { return 1u; });
}

void MergeTestBase::UseMain(const std::string& name) {
  sources_.setupFileUrl = ServerUrl("setup/" + name);
  sources_.names.setupFile = name;
}

void MergeTestBase::UseExtension(const std::string& name) {
  sources_.setupExtFileUrl = ServerUrl("setup/" + name);
  sources_.names.setupExtFile = name;
}

void MergeTestBase::UsePluginList(const std::string& name) {
  sources_.pluginExtFilesUrl = ServerUrl("Extensions/" + name);
  sources_.pluginExtFilesName = name;
}

std::string MergeTestBase::SectionNames() const {
  CIniFile::NameSet names;
  merged_.GetSectionNames(names);
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : "|") + name;
  return text;
}

bool MergeTestBase::Logged(const std::string& level, const std::string& location,
                           const std::string& message) const {
  return debug_.Contains(LogLine(level, location, message));
}

MergeTest::MergeTest()
    : MergeTestBase(kRootUrl), server_(machine_.ScratchFolder() + "\\server") {
  MergeThrough(downloader_);
  platform::CreateDirectoryWithParents(server_ + "\\Extensions");
  downloader_.Map(std::string(kRootUrl) + "/", server_);
}

std::string MergeTest::DescriptorFixture(const std::string& name) const {
  const char* folder = std::getenv("VARNIK_DESCRIPTOR_FIXTURES");
  if (!folder || !*folder) {
    ADD_FAILURE() << "VARNIK_DESCRIPTOR_FIXTURES is not set; run the tests through ctest";
    return name;
  }
  return FromBuildMachine(std::string(folder) + "/" + name);
}

void MergeTest::Serve(const std::string& fixture, const std::string& serverPath) {
  ServeText(serverPath, ReadTestFile(DescriptorFixture(fixture)));
}

void MergeTest::ServeText(const std::string& serverPath, const std::string& bytes) {
  const std::string path = JoinPath(server_, ReplaceAll(serverPath, "/", "\\"));
  platform::CreateDirectoryWithParents(path.substr(0, path.rfind('\\')));
  ASSERT_TRUE(WriteTestFile(path, bytes)) << path;
}

PlatformMergeTest::PlatformMergeTest()
    : MergeTestBase(PlatformRoot() + "/deploy"),
      trust_(FromBuildMachine(PlatformVariable("VARNIK_PLATFORM_CA"))) {
  MergeThrough(loader_.Transfer().Dispatch());
}
