// The cabinet extractor: unpacks every member of a Microsoft Cabinet file into
// a folder, keeping the member's own path below it (setup descriptors and
// component cabinets). The decompression is the platform's; this class takes
// every decision about where and how a member is written.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/CabinetDecompressor.h"
#include "platform/FileSystem.h"

class CCabinetExtractor : private platform::CabinetNotificationSink {
 public:
  // Creates the decompression context; null when none can be made.
  static std::unique_ptr<CCabinetExtractor> Create();
  ~CCabinetExtractor() override;  // destroys the context
  CCabinetExtractor(const CCabinetExtractor&) = delete;
  CCabinetExtractor& operator=(const CCabinetExtractor&) = delete;

  // True when the file holds a cabinet the decompressor accepts.
  bool IsCabinet(const std::string& path);

  // Extracts every member of the cabinet (of every cabinet the file holds)
  // into the destination folder, creating folders as needed and replacing
  // files of the same name. False when the paths are too long, the file
  // holds no cabinet, a member cannot be written or would land outside the
  // destination, the data is damaged, or the copy was cancelled.
  bool Copy(const std::string& cabinetPath, const std::string& destinationFolder);

  // While set, the next notification of a running copy aborts it.
  void SetCancel(bool cancel) { cancel_ = cancel; }
  bool IsCancelled() const { return cancel_; }

 private:
  explicit CCabinetExtractor(std::unique_ptr<platform::CabinetDecompressor> decompressor);

  Answer OnNotice(const platform::CabinetNotice& notice) override;
  CopyAnswer OnCopyFile(const platform::CabinetNotice& notice) override;
  bool OnCloseFile(const platform::CabinetNotice& notice, FILE* output) override;

  bool PrepareTarget(const std::string& targetFolder, const std::string& targetPath);
  void CloseUnfinishedMember();

  std::unique_ptr<platform::CabinetDecompressor> decompressor_;
  std::atomic<bool> cancel_{false};

  // State of the running copy.
  std::string destination_;  // ends in "\"
  platform::UniqueStdioFile output_;
  std::string outputPath_;
  uint32_t attributesNotApplied_ = 0;
};
