#include "post_download_fixture.h"

#include <filesystem>
#include <sstream>

#include "platform/FileSystem.h"
#include "test_files.h"

NotificationMetrics RecordingHost::MeasureNotification(const std::string& line) {
  NotificationMetrics measured = metrics;
  measured.textWidth = static_cast<int>(line.size()) * 6;
  return measured;
}

void RecordingHost::ShowNotification(const std::string& line, const NotificationPlace& place) {
  notifications.push_back(line);
  places.push_back(place);
}

PostDownloadTest::PostDownloadTest() {
  deployment_ = machine_.ScratchFolder() + "\\deploy";
  platform::CreateDirectoryWithParents(deployment_);
  host_.deploymentFolder = deployment_;
  host_.loaderTempFolder = machine_.ScratchFolder() + "\\TK_80\\Loader";
}

CDataStructure PostDownloadTest::Component(const std::string& shortName) const {
  CDataStructure record;
  record.destinationAsWritten = shortName;
  std::string expanded = shortName;
  for (char& c : expanded) {
    if (c == '/') c = '\\';
  }
  record.destination = deployment_ + "\\" + expanded;
  record.description = shortName;
  record.sourceUrl = "http://tk.example/" + shortName;
  return record;
}

bool PostDownloadTest::PlaceHelper(const std::string& path) const {
  const std::filesystem::path target(platform::ToNativePath(path));
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  return std::filesystem::copy_file(FromBuildMachine(VARNIK_INSTALL_HELPER), target,
                                    std::filesystem::copy_options::overwrite_existing, error) &&
         !error;
}

std::vector<std::string> PostDownloadTest::Runs(const std::string& path,
                                                bool withWindowState) const {
  std::vector<std::string> lines;
  std::istringstream text(ReadTestFile(path + ".runs.txt"));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!withWindowState) {
      for (const char* state : {" hidden", " shown"}) {
        const std::string suffix = state;
        if (line.size() >= suffix.size() &&
            line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0)
          line.erase(line.size() - suffix.size());
      }
    }
    lines.push_back(line);
  }
  return lines;
}

void PostDownloadTest::Run(const std::vector<CDataStructure>& records) {
  PostDownloadActions(host_).Run(records);
}

std::vector<std::string> PostDownloadTest::FailureFiles() const {
  std::vector<std::string> files;
  for (const FailureList::Entry& entry : host_.failures.Entries()) files.push_back(entry.file);
  return files;
}
