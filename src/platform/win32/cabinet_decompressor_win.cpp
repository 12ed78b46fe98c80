// The cabinet decompressor over cabinet.dll's FDI.
#include <windows.h>

#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <share.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/CabinetDecompressor.h"
#include "platform/TextCompare.h"

namespace platform {
namespace {

// What FDI holds as a file handle: a stream, and where the cabinet starts in
// it. Cabinets are opened and closed by FDI through the callbacks; a member's
// output stream belongs to the sink and its wrapper to the running copy, so
// FDI's close leaves both alone.
struct FdiStream {
  FILE* file = nullptr;
  int64_t base = 0;
  bool ownsFile = false;
};

// FDI may hand back a handle it never got from us: 0 for a next cabinet it
// failed to open.
FdiStream* StreamOf(INT_PTR handle) {
  return handle == 0 || handle == -1 ? nullptr : reinterpret_cast<FdiStream*>(handle);
}

// The cabinet FDI opens first starts at this offset of its file; FDI's open
// callback has no room for it, so it travels beside the call.
thread_local const std::string* tl_offsetPath = nullptr;
thread_local int64_t tl_offset = 0;

const char* StdioModeFor(int openFlags) {
  const int access = openFlags & (_O_RDONLY | _O_WRONLY | _O_RDWR);
  if (openFlags & _O_CREAT) {
    if (openFlags & _O_TRUNC) return access == _O_RDWR ? "w+b" : "wb";
    return access == _O_RDWR ? "a+b" : "ab";
  }
  if (access == _O_RDWR) return "r+b";
  if (access == _O_WRONLY) return "r+b";
  return "rb";
}

FNALLOC(FdiAlloc) { return std::malloc(cb); }

FNFREE(FdiFree) { std::free(pv); }

FNOPEN(FdiOpen) {
  (void)pmode;  // created files get read and write permission; FDI creates none
  // Shared for reading and writing, like _open.
  FILE* file = _fsopen(pszFile, StdioModeFor(oflag), _SH_DENYNO);
  if (!file) return -1;
  auto* stream = new (std::nothrow) FdiStream;
  if (!stream) {
    std::fclose(file);
    return -1;
  }
  stream->file = file;
  stream->ownsFile = true;
  if (tl_offsetPath && OrdinalEqualsNoCase(*tl_offsetPath, pszFile)) {
    stream->base = tl_offset;
    if (_fseeki64(file, stream->base, SEEK_SET) != 0) {
      std::fclose(file);
      delete stream;
      return -1;
    }
  }
  return reinterpret_cast<INT_PTR>(stream);
}

FNREAD(FdiRead) {
  FdiStream* stream = StreamOf(hf);
  if (!stream) return static_cast<UINT>(-1);
  const size_t got = std::fread(pv, 1, cb, stream->file);
  if (got < cb && std::ferror(stream->file)) return static_cast<UINT>(-1);
  return static_cast<UINT>(got);
}

FNWRITE(FdiWrite) {
  FdiStream* stream = StreamOf(hf);
  if (!stream) return static_cast<UINT>(-1);
  const size_t written = std::fwrite(pv, 1, cb, stream->file);
  return written == cb ? cb : static_cast<UINT>(-1);
}

FNCLOSE(FdiClose) {
  FdiStream* stream = StreamOf(hf);
  if (!stream) return -1;
  if (!stream->ownsFile) return 0;
  const int result = std::fclose(stream->file) == 0 ? 0 : -1;
  delete stream;
  return result;
}

FNSEEK(FdiSeek) {
  FdiStream* stream = StreamOf(hf);
  if (!stream) return -1;
  int64_t target = dist;
  if (seektype == SEEK_SET) target += stream->base;
  if (_fseeki64(stream->file, target, seektype) != 0) return -1;
  const int64_t position = _ftelli64(stream->file);
  return position < 0 ? -1 : static_cast<__LONG32>(position - stream->base);
}

// Carries the sink through FDICopy's notification callback, and owns the
// wrapper of the member being written.
struct CopyContext {
  CabinetNotificationSink* sink = nullptr;
  std::unique_ptr<FdiStream> output;
  bool aborted = false;  // the sink asked to abort, or threw: the copy has failed
};

CabinetNotice NoticeFrom(CabinetNotification kind, const FDINOTIFICATION* info) {
  CabinetNotice notice;
  notice.kind = kind;
  if (info->psz1) notice.name = info->psz1;
  notice.size = static_cast<uint32_t>(info->cb);
  notice.dosDate = info->date;
  notice.dosTime = info->time;
  notice.attributes = info->attribs;
  return notice;
}

INT_PTR Notify(FDINOTIFICATIONTYPE fdint, PFDINOTIFICATION pfdin) {
  CopyContext* context = static_cast<CopyContext*>(pfdin->pv);
  CabinetNotificationSink& sink = *context->sink;
  using Answer = CabinetNotificationSink::Answer;
  switch (fdint) {
    case fdintCOPY_FILE: {
      const CabinetNotificationSink::CopyAnswer answer =
          sink.OnCopyFile(NoticeFrom(CabinetNotification::CopyFile, pfdin));
      if (answer.answer == Answer::Skip) return 0;
      if (answer.answer != Answer::Continue || !answer.output) return -1;
      context->output = std::make_unique<FdiStream>();
      context->output->file = answer.output;
      return reinterpret_cast<INT_PTR>(context->output.get());
    }
    case fdintCLOSE_FILE_INFO: {
      FILE* output = nullptr;
      if (context->output && StreamOf(pfdin->hf) == context->output.get())
        output = context->output->file;
      context->output.reset();
      return sink.OnCloseFile(NoticeFrom(CabinetNotification::CloseFileInfo, pfdin), output)
                 ? TRUE
                 : FALSE;
    }
    case fdintNEXT_CABINET: {
      CabinetNotice notice = NoticeFrom(CabinetNotification::NextCabinet, pfdin);
      notice.nextCabinetUnusable = pfdin->fdie != FDIERROR_NONE;
      return sink.OnNotice(notice) == Answer::Continue ? 0 : -1;
    }
    case fdintCABINET_INFO:
      return sink.OnNotice(NoticeFrom(CabinetNotification::CabinetInfo, pfdin)) == Answer::Continue
                 ? 0
                 : -1;
    case fdintPARTIAL_FILE:
      return sink.OnNotice(NoticeFrom(CabinetNotification::PartialFile, pfdin)) == Answer::Continue
                 ? 0
                 : -1;
    default:
      return sink.OnNotice(NoticeFrom(CabinetNotification::Enumerate, pfdin)) == Answer::Continue
                 ? 0
                 : -1;
  }
}

// An exception must not unwind through cabinet.dll, which cannot clean up
// after it: it fails the copy instead. FDI takes FALSE as the abort of a
// close notice and -1 as that of every other; not every FDI stops at the
// first (Wine's goes on after a failed close), so every later notice is
// answered with an abort too.
FNFDINOTIFY(FdiNotify) {
  CopyContext* context = static_cast<CopyContext*>(pfdin->pv);
  const INT_PTR abort = fdint == fdintCLOSE_FILE_INFO ? FALSE : -1;
  if (context->aborted) return abort;
  try {
    const INT_PTR answer = Notify(fdint, pfdin);
    if (answer == abort) context->aborted = true;
    return answer;
  } catch (...) {
    context->aborted = true;
    return abort;
  }
}

// Sets the path whose opening FDI should see from offset on, for one call.
class OffsetScope {
 public:
  OffsetScope(const std::string& path, uint64_t offset) {
    tl_offsetPath = &path;
    tl_offset = static_cast<int64_t>(offset);
  }
  ~OffsetScope() {
    tl_offsetPath = nullptr;
    tl_offset = 0;
  }
};

}  // namespace

class CabinetDecompressor::Impl {
 public:
  HFDI context = nullptr;
  ERF errors{};

  ~Impl() {
    if (context) FDIDestroy(context);
  }
};

std::unique_ptr<CabinetDecompressor> CabinetDecompressor::Create() {
  auto impl = std::make_unique<Impl>();
  impl->context = FDICreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek,
                            cpu80386, &impl->errors);
  if (!impl->context) return nullptr;
  return std::unique_ptr<CabinetDecompressor>(new CabinetDecompressor(std::move(impl)));
}

CabinetDecompressor::CabinetDecompressor(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CabinetDecompressor::~CabinetDecompressor() = default;

bool CabinetDecompressor::IsCabinet(const std::string& path, uint64_t offset) {
  const OffsetScope scope(path, offset);
  const INT_PTR handle =
      FdiOpen(const_cast<char*>(path.c_str()), _O_RDONLY | _O_BINARY | _O_SEQUENTIAL, 0);
  if (handle == -1) return false;
  FDICABINETINFO info{};
  const BOOL isCabinet = FDIIsCabinet(impl_->context, handle, &info);
  FdiClose(handle);
  return isCabinet != FALSE;
}

bool CabinetDecompressor::Copy(const std::string& cabinetName, const std::string& cabinetFolder,
                               uint64_t offset, CabinetNotificationSink& sink) {
  const std::string fullPath = cabinetFolder + cabinetName;
  const OffsetScope scope(fullPath, offset);
  std::vector<char> name(cabinetName.begin(), cabinetName.end());
  name.push_back('\0');
  std::vector<char> folder(cabinetFolder.begin(), cabinetFolder.end());
  folder.push_back('\0');
  CopyContext context;
  context.sink = &sink;
  const BOOL copied =
      FDICopy(impl_->context, name.data(), folder.data(), 0, FdiNotify, nullptr, &context);
  return copied != FALSE && !context.aborted;
}

}  // namespace platform
