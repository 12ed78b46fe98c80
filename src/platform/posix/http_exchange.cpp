#include "platform/posix/http_exchange.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "infra/StringHelpers.h"
#include "platform/TextCompare.h"
#include "platform/posix/internet_settings.h"

namespace platform::posix {

// The process's one easy handle. It is driven through a multi handle whose
// connection cache keeps connections open between exchanges: one multi
// handle for each way of judging a server's certificate, so a connection
// made with relaxed checks, or with a client certificate, never serves a
// request that asked for stricter ones.
class HttpExchange::Session {
 public:
  static Session& Instance() {
    static Session session;
    return session;
  }

  CURLM* MultiFor(uint32_t securityFlags, const ClientIdentity* identity) {
    const auto key = std::make_pair(securityFlags, identity);
    auto found = multis.find(key);
    if (found == multis.end()) found = multis.emplace(key, curl_multi_init()).first;
    return found->second;
  }

  std::recursive_mutex lock;
  CURL* easy = nullptr;
  // The session's cookies live here rather than in the easy handle, so the
  // handle's cookie file list can be cleared before each reset (below)
  // without losing them.
  CURLSH* cookies = nullptr;
  // The multi handle the easy handle is in while an exchange runs.
  CURLM* multi = nullptr;
  HttpExchange* owner = nullptr;

 private:
  Session() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    cookies = curl_share_init();
    curl_share_setopt(cookies, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    easy = curl_easy_init();
  }
  ~Session() {
    if (owner) owner->Abandon();
    curl_easy_cleanup(easy);
    for (auto& entry : multis) curl_multi_cleanup(entry.second);
    curl_share_cleanup(cookies);
  }

  std::map<std::pair<uint32_t, const ClientIdentity*>, CURLM*> multis;
};

// The socket of a new connection, for the check above; a reused one is
// checked when the exchange ends.
static int KeepSocket(void* exchange, curl_socket_t socket, curlsocktype) {
  static_cast<HttpExchange*>(exchange)->SetSocket(socket);
  return CURL_SOCKOPT_OK;
}

namespace {

using Session = HttpExchange::Session;

// libcurl notices a body longer than its announced length only in its
// verbose text; everything else there is ignored.
int WatchForExcess(CURL*, curl_infotype type, char* text, size_t size, void* flag) {
  static const char kExcess[] = "Excess found";
  if (type == CURLINFO_TEXT && size >= sizeof(kExcess) - 1 &&
      std::memcmp(text, kExcess, sizeof(kExcess) - 1) == 0)
    *static_cast<bool*>(flag) = true;
  return 0;
}

// No byte for the receive time-out ends the exchange. libcurl's own
// low-speed limit averages over several seconds, so a stall that follows a
// burst would be noticed late.
int WatchForStall(void* watch, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
  return static_cast<HttpExchange::StallWatch*>(watch)->Stalled(received) ? 1 : 0;
}

}  // namespace

// After the reply's last announced byte, bytes already waiting on a plain
// connection belong to no reply: the server sent more than it announced.
// The connection is shut so it is never used again.
static bool ExcessWaiting(curl_socket_t socket) {
  if (socket == CURL_SOCKET_BAD) return false;
  char byte = 0;
  if (recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) <= 0) return false;
  shutdown(socket, SHUT_RDWR);
  return true;
}

size_t HttpExchange::KeepBody(char* data, size_t size, size_t count, void* exchange) {
  auto* self = static_cast<HttpExchange*>(exchange);
  if (self->sink_) {
    long status = 0;
    curl_easy_getinfo(Session::Instance().easy, CURLINFO_RESPONSE_CODE, &status);
    // Only the body of the file itself is handed on; an error page is not.
    if (status == 200 && !self->sink_(data, size * count)) return 0;
  } else {
    self->pending_.append(data, size * count);
  }
  self->received_ += static_cast<int64_t>(size * count);
  curl_off_t announced = -1;

  CURL* easy = Session::Instance().easy;
  if (!self->secure_ && curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
      announced >= 0 && self->received_ == announced && ExcessWaiting(self->socket_))
    self->excess_ = true;
  return size * count;
}

namespace {

CURLcode PrepareTls(CURL*, void* context, void* policy) {
  return static_cast<TlsPolicy*>(policy)->Apply(static_cast<SSL_CTX*>(context))
             ? CURLE_OK
             : CURLE_SSL_CERTPROBLEM;
}

struct UrlParts {
  std::string scheme, host, path;
};

bool SplitUrl(const std::string& url, UrlParts& parts) {
  CURLU* handle = curl_url();
  if (!handle) return false;
  bool ok = curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK;
  const CURLUPart wanted[] = {CURLUPART_SCHEME, CURLUPART_HOST, CURLUPART_PATH};
  std::string* targets[] = {&parts.scheme, &parts.host, &parts.path};
  for (size_t i = 0; ok && i < 3; ++i) {
    char* text = nullptr;
    ok = curl_url_get(handle, wanted[i], &text, 0) == CURLUE_OK;
    if (ok) *targets[i] = text;
    curl_free(text);
  }
  curl_url_cleanup(handle);
  return ok && (parts.scheme == "http" || parts.scheme == "https");
}

void SetCredentials(CURL* easy, const ExchangeRequest& request) {
  if (!request.user.empty()) {
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_USERNAME, request.user.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, request.password.c_str());
  }
  if (!request.proxyUser.empty()) {
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, request.proxyUser.c_str());
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
  }
}

void SetProxy(CURL* easy, const ProxyDecision& decision) {
  if (!decision.configured) return;  // libcurl's environment variables decide
  const std::string proxy = decision.proxy.empty() ? "" : "http://" + decision.proxy;
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
}

bool IsBodyError(int code) {
  return code == CURLE_PARTIAL_FILE || code == CURLE_RECV_ERROR ||
         code == CURLE_OPERATION_TIMEDOUT || code == CURLE_WRITE_ERROR;
}

}  // namespace

HttpExchange::StallWatch::StallWatch(uint32_t milliseconds)
    : limit(milliseconds), lastChange(std::chrono::steady_clock::now()) {}

bool HttpExchange::StallWatch::Stalled(int64_t received) {
  const auto now = std::chrono::steady_clock::now();
  if (received != lastReceived) {
    lastReceived = received;
    lastChange = now;
    return false;
  }
  timedOut = now - lastChange > std::chrono::milliseconds(limit);
  return timedOut;
}

HttpExchange::HttpExchange() = default;

HttpExchange::~HttpExchange() { Abandon(); }

ExchangeResult HttpExchange::Fetch(const ExchangeRequest& request, const BodySink& sink) {
  sink_ = sink;
  ExchangeResult result = Start(request);
  sink_ = nullptr;
  if (result.Ok() && excess_) {
    result.kind = ExchangeResult::Kind::ExcessData;
    result.message = "the server sent more than the length it announced";
  }
  if (result.Ok() && done_ && code_ != CURLE_OK) result = ResultOf(code_);
  return result;
}

ExchangeResult HttpExchange::Start(const ExchangeRequest& request) {
  Session& session = Session::Instance();
  std::lock_guard<std::recursive_mutex> guard(session.lock);
  Abandon();
  if (session.owner) session.owner->Abandon();
  done_ = cancelled_ = excess_ = false;
  code_ = CURLE_OK;
  status_ = 0;
  contentType_.clear();
  contentLength_ = -1;
  pending_.clear();
  pendingOffset_ = 0;
  received_ = 0;
  socket_ = CURL_SOCKET_BAD;
  errorText_.assign(CURL_ERROR_SIZE, '\0');
  tls_ = TlsPolicy();
  tls_.securityFlags = request.securityFlags;
  tls_.identity = request.identity;

  UrlParts parts;
  const bool split = SplitUrl(request.url, parts);
  secure_ = parts.scheme == "https";
  if (!split) {
    ExchangeResult result;
    result.kind = ExchangeResult::Kind::InvalidUrl;
    result.message = "not an http or https URL";
    return result;
  }

  CURL* easy = session.easy;
  // curl_easy_reset (libcurl 7.88) drops the list CURLOPT_COOKIEFILE builds
  // without freeing it, one entry per exchange; clearing the option frees
  // it, and the cookies stay in the share.
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr);
  curl_easy_reset(easy);
  curl_easy_setopt(easy, CURLOPT_SHARE, session.cookies);
  curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(easy, CURLOPT_USERAGENT, request.agent.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText_.data());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, KeepBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, KeepSocket);
  curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, this);
  curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
  curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, WatchForExcess);
  curl_easy_setopt(easy, CURLOPT_DEBUGDATA, &excess_);
  curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // keeps the cookie engine on
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, 60000L);
  const ConnectionSettings settings = SettingsForUrl(parts.scheme, parts.host);
  stall_ = StallWatch(settings.receiveTimeout);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, WatchForStall);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &stall_);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST,
                   (request.securityFlags & 0x1000) ? 0L : 2L);  // SECURITY_FLAG_IGNORE_CERT_CN_INVALID
  curl_easy_setopt(easy, CURLOPT_CAINFO, nullptr);
  curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
  curl_easy_setopt(easy, CURLOPT_CA_CACHE_TIMEOUT, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_SESSIONID_CACHE, 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, PrepareTls);
  curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &tls_);
  SetCredentials(easy, request);
  SetProxy(easy, settings.proxy);

  // Plain HTTP has no certificate to judge: one cache serves all of it.
  session.multi = secure_ ? session.MultiFor(request.securityFlags, request.identity.get()) : session.MultiFor(0, nullptr);
  if (curl_multi_add_handle(session.multi, easy) != CURLM_OK) {
    ExchangeResult result;
    result.kind = ExchangeResult::Kind::Other;
    result.message = "the transfer could not be started";
    return result;
  }
  session.owner = this;
  active_ = true;
  while (!done_ && (sink_ || pending_.size() == pendingOffset_)) Drive();

  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  status_ = static_cast<uint32_t>(status);
  char* type = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) contentType_ = type;
  curl_off_t length = -1;
  if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK)
    contentLength_ = length;
  // A reply whose body breaks off is seen by the reads, as with WinInet.
  if (done_ && status_ != 0 && IsBodyError(code_)) return ExchangeResult();
  return ResultOf(code_);
}

std::string HttpExchange::ContentType() const {
  if (!active_) return contentType_;
  char* type = nullptr;
  curl_easy_getinfo(Session::Instance().easy, CURLINFO_CONTENT_TYPE, &type);
  return type ? type : "";
}

int64_t HttpExchange::ContentLength() const {
  if (!active_) return contentLength_;
  curl_off_t length = -1;
  curl_easy_getinfo(Session::Instance().easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  return length;
}

void HttpExchange::Drive() {
  Session& session = Session::Instance();
  int running = 0;
  curl_multi_perform(session.multi, &running);
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(session.multi, &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == session.easy) Finish(message->data.result);
  }
  if (!done_ && pending_.size() == pendingOffset_) curl_multi_poll(session.multi, nullptr, 0, 1000, nullptr);
}

void HttpExchange::Finish(int code) {
  Session& session = Session::Instance();
  done_ = true;
  code_ = code;
  if (code == CURLE_ABORTED_BY_CALLBACK && stall_.timedOut) code_ = CURLE_OPERATION_TIMEDOUT;
  curl_socket_t kept = CURL_SOCKET_BAD;
  if (code == CURLE_OK && !secure_ && !excess_ &&
      curl_easy_getinfo(session.easy, CURLINFO_ACTIVESOCKET, &kept) == CURLE_OK && ExcessWaiting(kept))
    excess_ = true;
  curl_multi_remove_handle(session.multi, session.easy);
  active_ = false;
  if (session.owner == this) session.owner = nullptr;
}

ExchangeResult HttpExchange::Read(char* buffer, size_t size, size_t& read) {
  Session& session = Session::Instance();
  std::lock_guard<std::recursive_mutex> guard(session.lock);
  read = 0;
  ExchangeResult result;
  if (cancelled_) {
    result.kind = ExchangeResult::Kind::Cancelled;
    result.message = "another transfer took over the connection";
    return result;
  }
  if (!active_ && !done_) {
    result.kind = ExchangeResult::Kind::Other;
    result.message = "no reply to read";
    return result;
  }
  while (!done_ && pending_.size() == pendingOffset_) Drive();
  const size_t available = pending_.size() - pendingOffset_;
  if (available > 0) {
    read = available < size ? available : size;
    std::memcpy(buffer, pending_.data() + pendingOffset_, read);
    pendingOffset_ += read;
    if (pendingOffset_ == pending_.size()) {
      pending_.clear();
      pendingOffset_ = 0;
    }
    return result;
  }
  result = ResultOf(code_);
  if (result.Ok() && excess_) {
    result.kind = ExchangeResult::Kind::ExcessData;
    result.message = "the server sent more than the length it announced";
  }
  return result;
}

void HttpExchange::Abandon() {
  if (!active_) return;
  Session& session = Session::Instance();
  std::lock_guard<std::recursive_mutex> guard(session.lock);
  curl_multi_remove_handle(session.multi, session.easy);
  if (session.owner == this) session.owner = nullptr;
  active_ = false;
  cancelled_ = true;
}

ExchangeResult HttpExchange::ResultOf(int code) const {
  using Kind = ExchangeResult::Kind;
  ExchangeResult result;
  if (code == CURLE_OK) return result;
  result.message = errorText_.c_str();
  if (code == CURLE_OPERATION_TIMEDOUT && stall_.timedOut) result.message = "no data within the receive time-out";
  if (result.message.empty()) result.message = curl_easy_strerror(static_cast<CURLcode>(code));
  if (tls_.clientCertificateRequested && !tls_.identity) {
    result.kind = Kind::ClientCertificateNeeded;
    return result;
  }
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: result.kind = Kind::NameNotResolved; break;
    case CURLE_COULDNT_CONNECT: result.kind = Kind::CannotConnect; break;
    case CURLE_OPERATION_TIMEDOUT: result.kind = Kind::TimedOut; break;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      result.kind = Kind::Tls;
      result.tlsProblem = tls_.problem != TlsProblem::None ? tls_.problem
                          : code == CURLE_PEER_FAILED_VERIFICATION ? TlsProblem::NameInvalid
                                                                   : TlsProblem::Other;
      break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING: result.kind = Kind::ConnectionAborted; break;
    case CURLE_TOO_MANY_REDIRECTS: result.kind = Kind::TooManyRedirects; break;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: result.kind = Kind::InvalidUrl; break;
    case CURLE_ABORTED_BY_CALLBACK: result.kind = Kind::Cancelled; break;
    default: result.kind = Kind::Other; break;
  }
  return result;
}

std::string SessionCookies(const std::string& url, bool includeHttpOnly) {
  UrlParts parts;
  if (!SplitUrl(url, parts)) return "";
  Session& session = Session::Instance();
  std::lock_guard<std::recursive_mutex> guard(session.lock);
  curl_slist* list = nullptr;
  if (curl_easy_getinfo(session.easy, CURLINFO_COOKIELIST, &list) != CURLE_OK) return "";
  std::string cookies;
  const time_t now = std::time(nullptr);
  for (curl_slist* item = list; item; item = item->next) {
    // domain, subdomains, path, secure, expiry, name, value (Netscape form)
    std::vector<std::string> fields;
    const std::string line = item->data;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    if (fields.size() != 7) continue;
    std::string domain = fields[0];
    const bool httpOnly = domain.rfind("#HttpOnly_", 0) == 0;
    if (httpOnly) domain = domain.substr(10);
    if (httpOnly && !includeHttpOnly) continue;
    if (!domain.empty() && domain[0] == '.') domain = domain.substr(1);
    const bool domainMatches =
        OrdinalEqualsNoCase(parts.host, domain) ||
        (fields[1] == "TRUE" && parts.host.size() > domain.size() &&
         OrdinalEqualsNoCase(parts.host.substr(parts.host.size() - domain.size()), domain) &&
         parts.host[parts.host.size() - domain.size() - 1] == '.');
    const std::string& path = fields[2];
    const bool pathMatches = parts.path.compare(0, path.size(), path) == 0 &&
                             (parts.path.size() == path.size() || path.back() == '/' ||
                              parts.path[path.size()] == '/');
    const bool secureMatches = fields[3] != "TRUE" || parts.scheme == "https";
    const long long expiry = std::atoll(fields[4].c_str());
    if (!domainMatches || !pathMatches || !secureMatches || (expiry != 0 && expiry < now)) continue;
    if (!cookies.empty()) cookies += "; ";
    cookies += fields[5];
    if (!fields[6].empty()) cookies += "=" + fields[6];
  }
  curl_slist_free_all(list);
  return cookies;
}

}  // namespace platform::posix
