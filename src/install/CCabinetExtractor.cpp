#include "install/CCabinetExtractor.h"

#include <exception>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "install/CabinetLocator.h"
#include "install/CabinetMemberPath.h"
#include "platform/FileTimes.h"

namespace {

constexpr size_t kMaxPath = 260;
// Read-only, hidden, system and archive: the attributes a member brings along.
constexpr uint32_t kMemberAttributeMask = 0x27;

void LogError(const char* location, const std::string& message) {
  SimpleLogger::GetInstance()->Error(location, message);
}

std::string DescribeAttributes(uint32_t attributes) {
  std::string names;
  const auto add = [&](uint32_t bit, const char* name) {
    if (!(attributes & bit)) return;
    if (!names.empty()) names += ", ";
    names += name;
  };
  add(platform::kFileAttributeHidden, "hidden");
  add(platform::kFileAttributeSystem, "system");
  add(platform::kFileAttributeArchive, "archive");
  return names;
}

}  // namespace

std::unique_ptr<CCabinetExtractor> CCabinetExtractor::Create() {
  try {
    std::unique_ptr<platform::CabinetDecompressor> decompressor =
        platform::CabinetDecompressor::Create();
    if (!decompressor) {
      LogError("CCabinetExtractor::Create", "Cannot create the cabinet decompression context");
      return nullptr;
    }
    return std::unique_ptr<CCabinetExtractor>(new CCabinetExtractor(std::move(decompressor)));
  } catch (const std::exception& error) {
    LogError("CCabinetExtractor::Create", error.what());
  } catch (...) {
    LogError("CCabinetExtractor::Create", "Unknown exception");
  }
  return nullptr;
}

CCabinetExtractor::CCabinetExtractor(std::unique_ptr<platform::CabinetDecompressor> decompressor)
    : decompressor_(std::move(decompressor)) {}

CCabinetExtractor::~CCabinetExtractor() = default;

bool CCabinetExtractor::IsCabinet(const std::string& path) {
  try {
    const std::vector<CabinetLocation> cabinets = FindCabinets(path);
    return !cabinets.empty() && decompressor_->IsCabinet(path, cabinets.front().offset);
  } catch (const std::exception& error) {
    LogError("CCabinetExtractor::IsCabinet", error.what());
  } catch (...) {
    LogError("CCabinetExtractor::IsCabinet", "Unknown exception");
  }
  return false;
}

bool CCabinetExtractor::Copy(const std::string& cabinetPath, const std::string& destinationFolder) {
  const char* const location = "CCabinetExtractor::Copy";
  bool copied = false;
  try {
    destination_ = destinationFolder;
    if (destination_.empty() || destination_.back() != '\\') destination_ += '\\';
    if (cabinetPath.size() >= kMaxPath || destination_.size() >= kMaxPath) {
      LogError(location, Format("Path too long: cabinet %s, destination %s", cabinetPath.c_str(),
                                destination_.c_str()));
      return false;
    }
    // Windows takes "/" for a separator too; the next cabinets of a set are
    // looked for in the folder part.
    const size_t separator = cabinetPath.find_last_of("\\/");
    const std::string cabinetFolder =
        separator == std::string::npos ? std::string() : cabinetPath.substr(0, separator + 1);
    const std::string cabinetName =
        separator == std::string::npos ? cabinetPath : cabinetPath.substr(separator + 1);

    const std::vector<CabinetLocation> cabinets = FindCabinets(cabinetPath);
    if (cabinets.empty()) {
      LogError(location, Format("%s is not a cabinet", cabinetPath.c_str()));
      return false;
    }
    attributesNotApplied_ = 0;
    copied = true;
    for (const CabinetLocation& cabinet : cabinets) {
      if (!decompressor_->Copy(cabinetName, cabinetFolder, cabinet.offset, *this)) {
        LogError(location, Format("Extraction of %s into %s failed", cabinetPath.c_str(),
                                  destination_.c_str()));
        copied = false;
        break;
      }
    }
  } catch (const std::exception& error) {
    LogError(location, error.what());
    copied = false;
  } catch (...) {
    LogError(location, "Unknown exception");
    copied = false;
  }
  CloseUnfinishedMember();
  if (attributesNotApplied_) {
    SimpleLogger::GetInstance()->Info(
        location, Format("File attributes without an equivalent on this system were not set: %s",
                         DescribeAttributes(attributesNotApplied_).c_str()));
  }
  return copied;
}

platform::CabinetNotificationSink::Answer CCabinetExtractor::OnNotice(
    const platform::CabinetNotice& notice) {
  if (cancel_) return Answer::Abort;
  if (notice.kind == platform::CabinetNotification::NextCabinet &&
      !IsPlainCabinetName(notice.name)) {
    // The name comes from inside the cabinet: the next part is looked for
    // beside it, never anywhere the name might point.
    LogError("CCabinetExtractor::OnNotice",
             Format("The next cabinet of the set, %s, is refused: it is not a file name in the "
                    "cabinet's own folder",
                    notice.name.c_str()));
    return Answer::Abort;
  }
  if (notice.kind == platform::CabinetNotification::NextCabinet && notice.nextCabinetUnusable) {
    // The decompressor asks again for as long as the answer is to go on;
    // a set whose next part is missing would never end.
    LogError("CCabinetExtractor::OnNotice",
             Format("The next cabinet of the set, %s, cannot be used", notice.name.c_str()));
    return Answer::Abort;
  }
  return Answer::Continue;
}

platform::CabinetNotificationSink::CopyAnswer CCabinetExtractor::OnCopyFile(
    const platform::CabinetNotice& notice) {
  const char* const location = "CCabinetExtractor::OnCopyFile";
  if (cancel_) return {Answer::Abort, nullptr};
  if (!IsContainedMemberPath(notice.name)) {
    LogError(location, Format("Member %s is refused: its path leads outside %s or names no "
                              "plain file",
                              notice.name.c_str(), destination_.c_str()));
    return {Answer::Abort, nullptr};
  }
  const size_t separator = notice.name.find_last_of('\\');
  const std::string targetFolder = separator == std::string::npos
                                       ? destination_
                                       : destination_ + notice.name.substr(0, separator);
  if (targetFolder.size() >= kMaxPath) {
    SimpleLogger::GetInstance()->Warning(
        location, Format("Member %s skipped: its folder path is too long", notice.name.c_str()));
    return {Answer::Skip, nullptr};
  }
  const std::string targetPath = destination_ + notice.name;
  if (!PrepareTarget(targetFolder, targetPath)) return {Answer::Abort, nullptr};

  CloseUnfinishedMember();
  output_.reset(platform::OpenStdioFile(targetPath, "wb"));
  if (!output_) {
    LogError(location, Format("Cannot create %s", targetPath.c_str()));
    return {Answer::Abort, nullptr};
  }
  outputPath_ = targetPath;
  return {Answer::Continue, output_.get()};
}

bool CCabinetExtractor::PrepareTarget(const std::string& targetFolder,
                                      const std::string& targetPath) {
  uint32_t attributes = 0;
  if (platform::ReadPathAttributes(targetPath, attributes) &&
      !(attributes & platform::kFileAttributeDirectory)) {
    // An earlier extraction may have left the file read-only; it is replaced
    // all the same.
    uint32_t ignored = 0;
    if (attributes & platform::kFileAttributeReadOnly)
      platform::SetPathAttributes(targetPath, attributes & ~platform::kFileAttributeReadOnly,
                                  ignored);
    const platform::Win32Error deleted = platform::DeletePath(targetPath);
    if (deleted != platform::kErrorSuccess) {
      LogError("CCabinetExtractor::OnCopyFile",
               Format("Cannot replace %s (error %ld)", targetPath.c_str(), deleted));
      return false;
    }
  }
  platform::CreateDirectoryWithParents(targetFolder);
  return true;
}

bool CCabinetExtractor::OnCloseFile(const platform::CabinetNotice& notice, FILE* output) {
  const char* const location = "CCabinetExtractor::OnCloseFile";
  if (!output_ || output != output_.get()) {
    LogError(location, Format("Member %s was not being written", notice.name.c_str()));
    return false;
  }
  // A failed close may have lost the member's last bytes.
  const bool closed = std::fclose(output_.release()) == 0;
  if (!closed) {
    LogError(location, Format("Cannot finish writing %s", outputPath_.c_str()));
    return false;
  }
  if (!platform::SetFileTimesFromDosDateTime(outputPath_, notice.dosDate, notice.dosTime)) {
    SimpleLogger::GetInstance()->Warning(location,
                                         Format("Cannot set the time of %s", outputPath_.c_str()));
  }
  uint32_t notApplied = 0;
  if (!platform::SetPathAttributes(outputPath_, notice.attributes & kMemberAttributeMask,
                                   notApplied)) {
    SimpleLogger::GetInstance()->Warning(
        location, Format("Cannot set the attributes of %s", outputPath_.c_str()));
  }
  attributesNotApplied_ |= notApplied;
  return !cancel_;
}

void CCabinetExtractor::CloseUnfinishedMember() { output_.reset(); }
