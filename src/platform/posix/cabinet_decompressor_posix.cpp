// The cabinet decompressor over libmspack, driven so that the caller sees
// the notifications FDI would send: cabinet information, then for each
// member a partial-file notice or a copy request followed, once written, by
// a close notice; next cabinets of a set are asked for when a member
// continues into them.
#include <mspack.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "infra/CabinetDirectory.h"
#include "platform/CabinetDecompressor.h"
#include "platform/FileSystem.h"
#include "platform/posix/cabinet_file_entries.h"

namespace platform {
namespace {

// How often a next cabinet is looked for again while the caller keeps
// asking to go on after it could not be used.
constexpr int kNextCabinetAttempts = 4;

// The name under which libmspack opens a member's output: the stream the
// caller handed out for it.
const char kMemberOutputName[] = "<member output>";

struct PortFile {
  FILE* file = nullptr;
  off_t base = 0;  // where the cabinet starts inside the file
  bool ownsFile = false;
};

// libmspack's system interface, extended with what the open callback needs.
struct PortSystem {
  mspack_system system{};
  std::string offsetPath;  // the host path of the cabinet that starts at offset
  off_t offset = 0;
  FILE* memberOutput = nullptr;
};

PortFile* FileOf(mspack_file* file) { return reinterpret_cast<PortFile*>(file); }

mspack_file* PortOpen(mspack_system* self, const char* filename, int mode) {
  auto* port = reinterpret_cast<PortSystem*>(self);
  // No exception may unwind through libmspack.
  std::unique_ptr<PortFile> file(new (std::nothrow) PortFile);
  if (!file) return nullptr;
  if (filename == kMemberOutputName) {
    if (!port->memberOutput || mode != MSPACK_SYS_OPEN_WRITE) return nullptr;
    file->file = port->memberOutput;
    return reinterpret_cast<mspack_file*>(file.release());
  }
  const char* stdioMode = "rb";
  if (mode == MSPACK_SYS_OPEN_WRITE) stdioMode = "wb";
  if (mode == MSPACK_SYS_OPEN_UPDATE) stdioMode = "r+b";
  if (mode == MSPACK_SYS_OPEN_APPEND) stdioMode = "ab";
  file->file = std::fopen(filename, stdioMode);
  if (!file->file) return nullptr;
  file->ownsFile = true;
  if (port->offsetPath == filename) file->base = port->offset;
  if (fseeko(file->file, file->base, SEEK_SET) != 0) {
    std::fclose(file->file);
    return nullptr;
  }
  return reinterpret_cast<mspack_file*>(file.release());
}

void PortClose(mspack_file* handle) {
  std::unique_ptr<PortFile> file(FileOf(handle));
  if (file && file->ownsFile) std::fclose(file->file);
}

int PortRead(mspack_file* handle, void* buffer, int bytes) {
  PortFile* file = FileOf(handle);
  if (bytes < 0) return -1;
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(bytes), file->file);
  if (got < static_cast<size_t>(bytes) && std::ferror(file->file)) return -1;
  return static_cast<int>(got);
}

int PortWrite(mspack_file* handle, void* buffer, int bytes) {
  PortFile* file = FileOf(handle);
  if (bytes < 0) return -1;
  const size_t written = std::fwrite(buffer, 1, static_cast<size_t>(bytes), file->file);
  return written == static_cast<size_t>(bytes) ? bytes : -1;
}

int PortSeek(mspack_file* handle, off_t offset, int mode) {
  PortFile* file = FileOf(handle);
  int whence = SEEK_SET;
  if (mode == MSPACK_SYS_SEEK_START) {
    offset += file->base;
  } else if (mode == MSPACK_SYS_SEEK_CUR) {
    whence = SEEK_CUR;
  } else if (mode == MSPACK_SYS_SEEK_END) {
    whence = SEEK_END;
  } else {
    return -1;
  }
  return fseeko(file->file, offset, whence) == 0 ? 0 : -1;
}

off_t PortTell(mspack_file* handle) {
  PortFile* file = FileOf(handle);
  const off_t position = ftello(file->file);
  return position < 0 ? position : position - file->base;
}

// libmspack's own warnings; the caller words failures itself.
void PortMessage(mspack_file*, const char*, ...) {}

void* PortAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }

void PortFree(void* pointer) { std::free(pointer); }

void PortCopy(void* source, void* destination, size_t bytes) {
  std::memmove(destination, source, bytes);
}

uint16_t DosDateOf(const mscabd_file& file) {
  return static_cast<uint16_t>(((file.date_y - 1980) << 9) | (file.date_m << 5) | file.date_d);
}

uint16_t DosTimeOf(const mscabd_file& file) {
  return static_cast<uint16_t>((file.time_h << 11) | (file.time_m << 5) | (file.time_s >> 1));
}

CabinetNotice NoticeOf(CabinetNotification kind, const mscabd_file& file) {
  CabinetNotice notice;
  notice.kind = kind;
  notice.name = file.filename ? file.filename : "";
  notice.size = file.length;
  notice.dosDate = DosDateOf(file);
  notice.dosTime = DosTimeOf(file);
  notice.attributes = static_cast<uint16_t>(file.attribs);
  return notice;
}

bool IsPartial(uint16_t folderIndex) {
  return folderIndex == kCabinetFolderContinuedFromPrevious ||
         folderIndex == kCabinetFolderContinuedBothWays;
}

bool ContinuesIntoNext(uint16_t folderIndex) {
  return folderIndex == kCabinetFolderContinuedToNext ||
         folderIndex == kCabinetFolderContinuedBothWays;
}

}  // namespace

class CabinetDecompressor::Impl {
 public:
  Impl() {
    port_.system.open = PortOpen;
    port_.system.close = PortClose;
    port_.system.read = PortRead;
    port_.system.write = PortWrite;
    port_.system.seek = PortSeek;
    port_.system.tell = PortTell;
    port_.system.message = PortMessage;
    port_.system.alloc = PortAlloc;
    port_.system.free = PortFree;
    port_.system.copy = PortCopy;
    port_.system.null_ptr = nullptr;
    decompressor_ = mspack_create_cab_decompressor(&port_.system);
  }

  ~Impl() {
    if (decompressor_) mspack_destroy_cab_decompressor(decompressor_);
  }

  bool IsValid() const { return decompressor_ != nullptr; }

  bool IsCabinet(const std::string& path, uint64_t offset) {
    const std::string host = ToNativePath(path);
    SetOffset(host, offset);
    mscabd_cabinet* cabinet = decompressor_->open(decompressor_, host.c_str());
    if (!cabinet) return false;
    decompressor_->close(decompressor_, cabinet);
    return true;
  }

  bool Copy(const std::string& cabinetName, const std::string& cabinetFolder, uint64_t offset,
            CabinetNotificationSink& sink) {
    cabinetFolder_ = cabinetFolder;
    const std::string host = ToNativePath(cabinetFolder + cabinetName);
    SetOffset(host, offset);
    std::vector<uint16_t> folderIndices;
    {
      UniqueStdioFile file(std::fopen(host.c_str(), "rb"));
      if (!file ||
          !posix::ReadMemberFolderIndices(file.get(), static_cast<int64_t>(offset), folderIndices))
        return false;
    }
    mscabd_cabinet* cabinet = decompressor_->open(decompressor_, host.c_str());
    if (!cabinet) return false;
    // Cabinets appended to the set are released with the first one; their
    // names must live as long as they do.
    openedNames_.clear();
    bool copied = false;
    // A sink that throws fails the copy, as it does on win32, and the
    // cabinets are released all the same.
    try {
      copied = CopyMembers(*cabinet, folderIndices, sink);
    } catch (...) {
      copied = false;
    }
    decompressor_->close(decompressor_, cabinet);
    return copied;
  }

 private:
  using Answer = CabinetNotificationSink::Answer;

  void SetOffset(const std::string& hostPath, uint64_t offset) {
    port_.offsetPath = hostPath;
    port_.offset = static_cast<off_t>(offset);
  }

  bool CopyMembers(mscabd_cabinet& cabinet, const std::vector<uint16_t>& folderIndices,
                   CabinetNotificationSink& sink) {
    CabinetNotice info;
    info.kind = CabinetNotification::CabinetInfo;
    if (cabinet.nextname) info.name = cabinet.nextname;
    if (sink.OnNotice(info) != Answer::Continue) return false;

    // Only members listed by this cabinet are candidates, even once the next
    // cabinets of the set have been joined to it.
    std::vector<mscabd_file*> members;
    for (mscabd_file* file = cabinet.files; file; file = file->next) members.push_back(file);
    if (members.size() != folderIndices.size()) return false;

    mscabd_cabinet* last = &cabinet;
    for (size_t i = 0; i < members.size(); ++i) {
      mscabd_file& member = *members[i];
      if (IsPartial(folderIndices[i])) {
        if (sink.OnNotice(NoticeOf(CabinetNotification::PartialFile, member)) != Answer::Continue)
          return false;
        continue;
      }
      const CabinetNotificationSink::CopyAnswer answer =
          sink.OnCopyFile(NoticeOf(CabinetNotification::CopyFile, member));
      if (answer.answer == Answer::Skip) continue;
      if (answer.answer != Answer::Continue || !answer.output) return false;

      // A member whose data runs on into the next cabinets of the set is
      // tried again with one more of them joined, for as long as it fails and
      // the set goes on, as FDI asks for the next cabinet when it runs out.
      bool written = Extract(member, answer.output, false);
      while (!written && ContinuesIntoNext(folderIndices[i]) && JoinNextCabinet(last, sink))
        written = Extract(member, answer.output, true);
      // As FDI does, the member is closed whether or not it came out whole.
      const bool closed =
          sink.OnCloseFile(NoticeOf(CabinetNotification::CloseFileInfo, member), answer.output);
      if (!written || !closed) return false;
    }
    return true;
  }

  bool Extract(mscabd_file& member, FILE* output, bool again) {
    if (again) {
      if (std::fflush(output) != 0 || ftruncate(fileno(output), 0) != 0 ||
          fseeko(output, 0, SEEK_SET) != 0)
        return false;
      // libmspack keeps the state of a folder that ran out of cabinets and
      // would go on from there; a fresh decompressor starts the folder over.
      // The cabinets it opened are plain memory and stay valid.
      mscab_decompressor* fresh = mspack_create_cab_decompressor(&port_.system);
      if (!fresh) return false;
      mspack_destroy_cab_decompressor(decompressor_);
      decompressor_ = fresh;
    }
    port_.memberOutput = output;
    const int result = decompressor_->extract(decompressor_, &member, kMemberOutputName);
    port_.memberOutput = nullptr;
    return result == MSPACK_ERR_OK;
  }

  // Opens the next cabinet of the set from the same folder and joins it.
  bool JoinNextCabinet(mscabd_cabinet*& last, CabinetNotificationSink& sink) {
    if (!last->nextname || !(last->flags & MSCAB_HDR_NEXTCAB)) return false;
    CabinetNotice notice;
    notice.kind = CabinetNotification::NextCabinet;
    notice.name = last->nextname;
    if (sink.OnNotice(notice) != Answer::Continue) return false;
    for (int attempt = 0; attempt < kNextCabinetAttempts; ++attempt) {
      openedNames_.push_back(
          std::make_unique<std::string>(ToNativePath(cabinetFolder_ + notice.name)));
      mscabd_cabinet* next = decompressor_->open(decompressor_, openedNames_.back()->c_str());
      if (next && next->set_id == last->set_id && next->set_index == last->set_index + 1 &&
          decompressor_->append(decompressor_, last, next) == MSPACK_ERR_OK) {
        CabinetNotice info;
        info.kind = CabinetNotification::CabinetInfo;
        if (next->nextname) info.name = next->nextname;
        last = next;
        return sink.OnNotice(info) == Answer::Continue;
      }
      if (next) decompressor_->close(decompressor_, next);
      notice.nextCabinetUnusable = true;
      if (sink.OnNotice(notice) != Answer::Continue) return false;
    }
    return false;
  }

  PortSystem port_;
  mscab_decompressor* decompressor_ = nullptr;
  std::string cabinetFolder_;
  std::vector<std::unique_ptr<std::string>> openedNames_;
};

std::unique_ptr<CabinetDecompressor> CabinetDecompressor::Create() {
  auto impl = std::make_unique<Impl>();
  if (!impl->IsValid()) return nullptr;
  return std::unique_ptr<CabinetDecompressor>(new CabinetDecompressor(std::move(impl)));
}

CabinetDecompressor::CabinetDecompressor(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CabinetDecompressor::~CabinetDecompressor() = default;

bool CabinetDecompressor::IsCabinet(const std::string& path, uint64_t offset) {
  return impl_->IsCabinet(path, offset);
}

bool CabinetDecompressor::Copy(const std::string& cabinetName, const std::string& cabinetFolder,
                               uint64_t offset, CabinetNotificationSink& sink) {
  return impl_->Copy(cabinetName, cabinetFolder, offset, sink);
}

}  // namespace platform
