// URLDownloadToFileA over the process's libcurl session, raising the
// callback's events in the order the URL-moniker service raises them:
// GetBindInfo, OnStartBinding, GetPriority, OnProgress (finding the
// resource, connecting, sending the request, the MIME type, then the data),
// OnStopBinding. A "file:" URL is read from the file it names, as the
// service does for an installation package on a disk or a share. A certificate problem the bind flags do not cover is put to
// OnSecurityProblem; a server or proxy that asks for credentials to
// IAuthenticate, when the callback offers it.
#include <cctype>
#include <cstdio>
#include <memory>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Internet.h"
#include "platform/TextCompare.h"
#include "platform/UrlMoniker.h"
#include "platform/posix/http_exchange.h"

namespace platform {
namespace {

using posix::ExchangeResult;

constexpr char kMonikerAgent[] = "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 10.0; Trident/7.0)";
// cbSize of BINDINFO as a 32-bit caller passes it.
constexpr uint32_t kBindInfoSize = 84;
// INTERNET_MAX_URL_LENGTH.
constexpr size_t kMaxUrlLength = 2083;
constexpr size_t kFileBufferSize = 128 * 1024;

class MonikerBinding : public Binding {
 public:
  HResult Abort() override {
    aborted = true;
    return kSOk;
  }
  bool aborted = false;
};

HResult ResultOf(const ExchangeResult& result) {
  using Kind = ExchangeResult::Kind;
  switch (result.kind) {
    case Kind::Ok: return kSOk;
    case Kind::NameNotResolved: return kInetEResourceNotFound;
    case Kind::CannotConnect: return kInetECannotConnect;
    case Kind::TimedOut: return kInetEConnectionTimeout;
    case Kind::Tls:
    case Kind::ClientCertificateNeeded: return kInetEInvalidCertificate;
    case Kind::TooManyRedirects: return kInetERedirectFailed;
    case Kind::InvalidUrl: return kInetEInvalidUrl;
    case Kind::Cancelled: return kEAbort;
    case Kind::ConnectionAborted:
    case Kind::ExcessData:
    case Kind::Other: return kInetEDownloadFailure;
  }
  return kInetEDownloadFailure;
}

class MonikerTransfer {
 public:
  MonikerTransfer(const std::string& url, const std::string& localPath, BindStatusCallback& callback,
                  MonikerBinding& binding)
      : url_(url), localPath_(localPath), callback_(callback), binding_(binding) {}

  HResult Run(uint32_t bindFlags, const std::string& host) {
    request_.url = url_;
    request_.agent = kMonikerAgent;
    // The two certificate problems WinInet lets a request flag skip.
    if (bindFlags & kBindfIgnoreSecurityProblem)
      request_.securityFlags = kSecurityFlagIgnoreCertCnInvalid | kSecurityFlagIgnoreCertDateInvalid;
    callback_.OnProgress(0, 0, kBindStatusFindingResource, host);
    callback_.OnProgress(0, 0, kBindStatusConnecting, host);
    callback_.OnProgress(0, 0, kBindStatusSendingRequest, "");
    if (HResult result = FetchUntilAnswered(); result != kSOk) return result;
    if (exchange_.Status() != 200) {
      error_ = "HTTP status " + std::to_string(exchange_.Status());
      return HResultForHttpStatus(exchange_.Status());
    }
    // An empty file still is one.
    if (!file_ && !Open()) return kEFail;
    if (std::fclose(file_.release()) != 0) {
      error_ = "cannot write " + localPath_;
      return kEFail;
    }
    if (first_) callback_.OnProgress(0, ProgressMax(), kBindStatusBeginDownloadData, url_);
    callback_.OnProgress(static_cast<uint32_t>(total_), ProgressMax() ? ProgressMax() : static_cast<uint32_t>(total_),
                         kBindStatusEndDownloadData, url_);
    return kSOk;
  }

  const std::string& Error() const { return error_; }

 private:
  // Sends the request again for each problem the callback clears and for
  // the credentials it gives, once each. The body of the file is written as
  // it arrives.
  HResult FetchUntilAnswered() {
    bool webCredentialsGiven = false;
    bool proxyCredentialsGiven = false;
    for (;;) {
      const ExchangeResult result =
          exchange_.Fetch(request_, [this](const char* data, size_t size) { return Write(data, size); });
      if (binding_.aborted) return kEAbort;
      if (written_ != kSOk) return written_;
      if (result.kind == ExchangeResult::Kind::Tls ||
          result.kind == ExchangeResult::Kind::ClientCertificateNeeded) {
        const bool certificateNeeded = result.kind == ExchangeResult::Kind::ClientCertificateNeeded;
        const uint32_t problem = static_cast<uint32_t>(
            certificateNeeded ? kErrorInternetClientAuthCertNeeded : posix::WinInetErrorOf(result.tlsProblem));
        const uint32_t relaxing = certificateNeeded ? 0 : posix::RelaxingFlagOf(result.tlsProblem);
        const HResult answer = callback_.OnSecurityProblem(problem);
        if (answer == kSOk && relaxing && !(request_.securityFlags & relaxing)) {
          request_.securityFlags |= relaxing;
          continue;
        }
        error_ = result.message;
        return answer == kEAbort ? kEAbort : ResultOf(result);
      }
      if (!result.Ok()) {
        error_ = result.message;
        return ResultOf(result);
      }
      const uint32_t status = exchange_.Status();
      const bool web = status == 401 && !webCredentialsGiven;
      const bool proxy = status == 407 && !proxyCredentialsGiven;
      if ((web || proxy) && callback_.OffersAuthentication()) {
        AuthenticationAnswer answer;
        if (callback_.Authenticate(answer) == kSOk && answer.hasUser && !answer.user.empty()) {
          (web ? request_.user : request_.proxyUser) = answer.user;
          (web ? request_.password : request_.proxyPassword) = answer.hasPassword ? answer.password : "";
          (web ? webCredentialsGiven : proxyCredentialsGiven) = true;
          continue;
        }
      }
      return kSOk;
    }
  }

  bool Open() {
    callback_.OnProgress(0, 0, kBindStatusMimeTypeAvailable,
                         exchange_.ContentType().empty() ? "application/octet-stream" : exchange_.ContentType());
    file_.reset(OpenStdioFile(localPath_, "wb"));
    if (!file_) {
      error_ = "cannot create " + localPath_;
      return false;
    }
    // The body arrives in pieces of 16 KiB; a larger buffer writes them
    // with a few calls instead of two per piece.
    // (The C library takes the size only with a buffer of the caller's.)
    fileBuffer_ = std::make_unique<char[]>(kFileBufferSize);
    std::setvbuf(file_.get(), fileBuffer_.get(), _IOFBF, kFileBufferSize);
    return true;
  }

  uint32_t ProgressMax() const {
    const int64_t length = exchange_.ContentLength();
    return length > 0 && length <= 0xFFFFFFFFll ? static_cast<uint32_t>(length) : 0;
  }

  // One piece of the file's body; false stops the transfer.
  bool Write(const char* data, size_t size) {
    if (!file_ && !Open()) {
      written_ = kEFail;
      return false;
    }
    if (std::fwrite(data, 1, size, file_.get()) != size) {
      error_ = "cannot write " + localPath_;
      written_ = kEFail;
      return false;
    }
    total_ += size;
    const HResult answer = callback_.OnProgress(static_cast<uint32_t>(total_), ProgressMax(),
                                                first_ ? kBindStatusBeginDownloadData : kBindStatusDownloadingData, url_);
    first_ = false;
    if (answer < 0 || binding_.aborted) {
      error_ = "the transfer was aborted";
      written_ = kEAbort;
      return false;
    }
    return true;
  }

  const std::string& url_;
  const std::string& localPath_;
  BindStatusCallback& callback_;
  MonikerBinding& binding_;
  posix::ExchangeRequest request_;
  posix::HttpExchange exchange_;
  std::unique_ptr<char[]> fileBuffer_;  // outlives file_, which uses it
  UniqueStdioFile file_;
  uint64_t total_ = 0;
  bool first_ = true;
  HResult written_ = kSOk;
  std::string error_;
};

bool StartsWithNoCase(const std::string& text, const char* start) {
  const std::string_view prefix(start);
  return text.size() >= prefix.size() && OrdinalEqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The Windows path a "file:" URL names: "file:///C:/Pkg/x.cab" is
// C:\Pkg\x.cab, "file://server/share/x.cab" is \\server\share\x.cab;
// escapes are decoded. False for anything else.
bool PathOfFileUrl(const std::string& url, std::string& path) {
  if (!StartsWithNoCase(url, "file://")) return false;
  std::string rest = url.substr(7);
  std::string decoded;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexDigit(rest[i + 1]) >= 0 && HexDigit(rest[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexDigit(rest[i + 1]) * 16 + HexDigit(rest[i + 2])));
      i += 2;
    } else {
      decoded.push_back(rest[i] == '/' ? '\\' : rest[i]);
    }
  }
  // A zero would cut the path short at the system call.
  if (decoded.find('\0') != std::string::npos) return false;
  const size_t start = !decoded.empty() && decoded[0] == '\\' ? 1 : 0;
  const bool drive = decoded.size() >= start + 2 && std::isalpha(static_cast<unsigned char>(decoded[start])) &&
                     (decoded[start + 1] == ':' || decoded[start + 1] == '|') &&
                     (decoded.size() == start + 2 || decoded[start + 2] == '\\');
  if (drive) {
    path = decoded.substr(start);
    path[1] = ':';
  } else if (start == 0 && !decoded.empty()) {
    path = "\\\\" + decoded;  // a server and its share
  } else {
    return false;
  }
  return true;
}

// The file a "file:" URL names, copied with the events the service raises
// for it.
HResult CopyFromFileUrl(const std::string& url, const std::string& source, const std::string& localPath,
                        BindStatusCallback& callback, MonikerBinding& binding, std::string& error) {
  callback.OnProgress(0, 0, kBindStatusFindingResource, source);
  UniqueStdioFile in(OpenStdioFile(source, "rb"));
  uint32_t attributes = 0;
  if (!in || (ReadPathAttributes(source, attributes) && (attributes & kFileAttributeDirectory))) {
    error = "cannot open " + source;
    return kInetEResourceNotFound;
  }
  callback.OnProgress(0, 0, kBindStatusMimeTypeAvailable, "application/octet-stream");
  UniqueStdioFile out(OpenStdioFile(localPath, "wb"));
  if (!out) {
    error = "cannot create " + localPath;
    return kEFail;
  }
  std::fseek(in.get(), 0, SEEK_END);
  const long size = std::ftell(in.get());
  std::fseek(in.get(), 0, SEEK_SET);
  const uint32_t max = size > 0 && size <= 0xFFFFFFFFl ? static_cast<uint32_t>(size) : 0;
  char buffer[65536];
  uint64_t total = 0;
  bool first = true;
  for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) {
    if (std::fwrite(buffer, 1, read, out.get()) != read) {
      error = "cannot write " + localPath;
      return kEFail;
    }
    total += read;
    const HResult answer = callback.OnProgress(static_cast<uint32_t>(total), max,
                                               first ? kBindStatusBeginDownloadData : kBindStatusDownloadingData, url);
    first = false;
    if (answer < 0 || binding.aborted) {
      error = "the transfer was aborted";
      return kEAbort;
    }
  }
  if (std::ferror(in.get())) {
    error = "cannot read " + source;
    return kInetEDownloadFailure;
  }
  if (std::fclose(out.release()) != 0) {
    error = "cannot write " + localPath;
    return kEFail;
  }
  callback.OnProgress(static_cast<uint32_t>(total), max ? max : static_cast<uint32_t>(total),
                      kBindStatusEndDownloadData, url);
  return kSOk;
}

}  // namespace

HResult DownloadUrlToFile(const std::string& url, const std::string& localPath,
                          BindStatusCallback& callback) {
  std::string filePath;
  const bool fileUrl = url.size() <= kMaxUrlLength && PathOfFileUrl(url, filePath);
  UrlComponents parts;
  if (!fileUrl && (url.size() > kMaxUrlLength || InetCrackUrl(url, kMaxUrlLength, parts) != kErrorSuccess ||
                   (parts.scheme != kInternetSchemeHttp && parts.scheme != kInternetSchemeHttps)))
    return kInetEInvalidUrl;

  uint32_t bindFlags = 0;
  BindInfo info;
  info.size = kBindInfoSize;
  HResult result = callback.GetBindInfo(&bindFlags, &info);
  if (result < 0) return result;
  auto binding = std::make_shared<MonikerBinding>();
  result = callback.OnStartBinding(binding);
  if (result < 0) return result;
  int32_t priority = 0;
  callback.GetPriority(&priority);

  std::string error;
  if (fileUrl) {
    result = CopyFromFileUrl(url, filePath, localPath, callback, *binding, error);
  } else {
    MonikerTransfer transfer(url, localPath, callback, *binding);
    result = transfer.Run(bindFlags, parts.host);
    error = transfer.Error();
  }
  // Nothing of a failed transfer stays behind: no partial file, no error page.
  if (result != kSOk) DeletePath(localPath);
  callback.OnStopBinding(result, result == kSOk ? "" : error);
  return result;
}

}  // namespace platform
