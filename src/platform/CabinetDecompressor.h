// The Microsoft Cabinet decompressor behind the cabinet extractor. win32:
// cabinet.dll (FDICreate, FDIIsCabinet, FDICopy, FDIDestroy). posix:
// libmspack. The decompressor only reads cabinets and inflates members; where
// a member goes, and whether it is written at all, is decided by the caller in
// the notifications, which follow FDI's.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace platform {

enum class CabinetNotification {
  CabinetInfo,    // a cabinet was opened (the first one, and every next one)
  PartialFile,    // a member that began in an earlier cabinet; it is not extracted
  CopyFile,       // a member that begins in this cabinet: write it, skip it or abort
  CloseFileInfo,  // the member has been written to the caller's output
  NextCabinet,    // a member continues in the next cabinet of the set
  Enumerate,
};

struct CabinetNotice {
  CabinetNotification kind = CabinetNotification::CabinetInfo;
  // The member's path as the cabinet stores it ("sub\name"); for CabinetInfo
  // and NextCabinet the name of the next cabinet of the set (may be empty).
  std::string name;
  uint32_t size = 0;
  uint16_t dosDate = 0;
  uint16_t dosTime = 0;
  uint16_t attributes = 0;
  // NextCabinet only: the next cabinet was looked for and could not be used
  // (missing, not a cabinet, or not the next one of the set).
  bool nextCabinetUnusable = false;
};

// FDI's notification callback, typed. The caller owns every output stream it
// hands out: the decompressor writes to it and never closes it.
class CabinetNotificationSink {
 public:
  enum class Answer { Continue, Skip, Abort };
  struct CopyAnswer {
    Answer answer = Answer::Abort;
    FILE* output = nullptr;  // with Continue: where the member is written
  };

  virtual ~CabinetNotificationSink() = default;

  // CabinetInfo, PartialFile, NextCabinet, Enumerate: Continue or Abort.
  virtual Answer OnNotice(const CabinetNotice& notice) = 0;
  // CopyFile: Continue with an output, Skip the member, or Abort the copy.
  virtual CopyAnswer OnCopyFile(const CabinetNotice& notice) = 0;
  // CloseFileInfo for the output OnCopyFile gave: false aborts the copy.
  virtual bool OnCloseFile(const CabinetNotice& notice, FILE* output) = 0;
};

class CabinetDecompressor {
 public:
  // The decompression context (FDICreate with processor type 1); null when
  // none can be made.
  static std::unique_ptr<CabinetDecompressor> Create();
  ~CabinetDecompressor();  // FDIDestroy
  CabinetDecompressor(const CabinetDecompressor&) = delete;
  CabinetDecompressor& operator=(const CabinetDecompressor&) = delete;

  // FDIIsCabinet on the file, opened read-only. offset is where the cabinet
  // starts inside the file (0 for an ordinary cabinet file).
  bool IsCabinet(const std::string& path, uint64_t offset);

  // FDICopy of cabinetName in cabinetFolder (which ends in "\" or is empty);
  // the cabinet starts at offset inside that file. Next cabinets of a set are
  // looked for in the same folder and start at their beginning. A sink that
  // throws aborts the copy, which then fails; the exception never passes
  // through the decompressor's own code.
  bool Copy(const std::string& cabinetName, const std::string& cabinetFolder, uint64_t offset,
            CabinetNotificationSink& sink);

  class Impl;

 private:
  explicit CabinetDecompressor(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
