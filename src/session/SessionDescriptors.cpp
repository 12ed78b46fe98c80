#include "session/SessionDescriptors.h"

namespace {

// The merge works on the name keys held with the other descriptor names;
// the properties' own fields get back what it made of them, also when the
// main descriptor could not be had.
class NameKeysLent {
 public:
  explicit NameKeysLent(SessionState& state) : state_(state) {
    state_.descriptorNames.setupFile = state_.setupFileName;
    state_.descriptorNames.setupExtFile = state_.setupExtFileName;
  }
  ~NameKeysLent() {
    state_.setupFileName = state_.descriptorNames.setupFile;
    state_.setupExtFileName = state_.descriptorNames.setupExtFile;
  }
  NameKeysLent(const NameKeysLent&) = delete;
  NameKeysLent& operator=(const NameKeysLent&) = delete;

 private:
  SessionState& state_;
};

}  // namespace

SessionDescriptors::SessionDescriptors(SessionState& state, DeploymentEngine& engine,
                                       FileDownloader& downloader, FailureTrace& failures)
    : state_(state), engine_(engine), merge_(*this, state.mergedSetup, downloader, failures) {}

void SessionDescriptors::MakeLocalCopies() {
  DescriptorNames& names = state_.descriptorNames;
  names.localDescriptorFolder = state_.deploymentFolder;
  names.localSetupFile = state_.setupFileName;
  names.localSetupExtFile = state_.setupExtFileName;
}

bool SessionDescriptors::DownloadServerIniAndMerge() {
  NameKeysLent lent(state_);
  return merge_.DownloadServerIniAndMerge();
}

bool SessionDescriptors::DownloadLocalIniAndMerge() {
  NameKeysLent lent(state_);
  return merge_.DownloadLocalIniAndMerge();
}
