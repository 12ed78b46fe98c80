// One HTTP GET on the process's libcurl session, read as a stream. The
// session is one easy handle driven through one multi handle for the whole
// process, so connections stay open between exchanges and the cookie engine
// keeps what servers set. One exchange runs at a time: starting another
// abandons the one before it, whose next read answers "cancelled".
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/tls_policy.h"

namespace platform::posix {

struct ExchangeRequest {
  std::string url;
  std::string agent;
  std::string user;  // basic credentials for the server; none when empty
  std::string password;
  std::string proxyUser;  // basic credentials for the proxy; none when empty
  std::string proxyPassword;
  uint32_t securityFlags = 0;  // SECURITY_FLAG_IGNORE_*
  std::shared_ptr<const ClientIdentity> identity;
};

// How a step of an exchange ended.
struct ExchangeResult {
  enum class Kind {
    Ok,
    NameNotResolved,
    CannotConnect,
    TimedOut,
    Tls,                       // see tlsProblem
    ClientCertificateNeeded,
    ConnectionAborted,         // the reply stopped short or the connection broke
    TooManyRedirects,
    ExcessData,                // more body than the reply announced
    InvalidUrl,
    Cancelled,
    Other,
  };
  Kind kind = Kind::Ok;
  TlsProblem tlsProblem = TlsProblem::None;
  std::string message;  // libcurl's words

  bool Ok() const { return kind == Kind::Ok; }
};

class HttpExchange {
 public:
  HttpExchange();
  ~HttpExchange();
  HttpExchange(const HttpExchange&) = delete;
  HttpExchange& operator=(const HttpExchange&) = delete;

  // Sends the request and waits for the reply: returns once its body
  // begins or the exchange has ended.
  ExchangeResult Start(const ExchangeRequest& request);

  // Receives the body of an HTTP 200 reply as it arrives; false stops the
  // exchange.
  using BodySink = std::function<bool(const char* data, size_t size)>;
  // The whole exchange at once, its body handed to sink (never buffered).
  ExchangeResult Fetch(const ExchangeRequest& request, const BodySink& sink);

  // Of the final reply (after redirects): 0 when none came. While an
  // exchange runs they are those of the reply arriving.
  uint32_t Status() const { return status_; }
  std::string ContentType() const;
  // -1 when the reply announced no length.
  int64_t ContentLength() const;

  // Up to size bytes of the body; read is 0 at its end.
  ExchangeResult Read(char* buffer, size_t size, size_t& read);

  // Stops the exchange; its connection is closed.
  void Abandon();

  class Session;

  // The socket of the connection this exchange opened.
  void SetSocket(int socket) { socket_ = socket; }

  // Notices when no byte has come for the receive time-out.
  struct StallWatch {
    StallWatch() = default;
    explicit StallWatch(uint32_t milliseconds);
    bool Stalled(int64_t received);
    uint32_t limit = 0;
    int64_t lastReceived = -1;
    std::chrono::steady_clock::time_point lastChange;
    bool timedOut = false;
  };

 private:
  friend class Session;
  static size_t KeepBody(char* data, size_t size, size_t count, void* exchange);
  void Drive();
  void Finish(int code);
  ExchangeResult ResultOf(int code) const;

  bool active_ = false;
  bool done_ = false;
  bool cancelled_ = false;
  bool excess_ = false;
  bool secure_ = false;
  StallWatch stall_;
  BodySink sink_;
  int code_ = 0;
  uint32_t status_ = 0;
  std::string contentType_;
  int64_t contentLength_ = -1;
  std::string pending_;  // received, not yet read
  size_t pendingOffset_ = 0;
  int64_t received_ = 0;
  int socket_ = -1;
  TlsPolicy tls_;
  std::string errorText_;
};

// The cookies the session holds for url, in WinInet's form ("a=1; b=2");
// HttpOnly cookies only when asked for.
std::string SessionCookies(const std::string& url, bool includeHttpOnly);
// Of a cookie engine's list (Netscape lines: domain, subdomains, path,
// secure, expiry, name and value, tab-separated), the cookies a request to
// url carries at time now, in the same form.
std::string CookiesForUrl(const std::vector<std::string>& lines, const std::string& url,
                          bool includeHttpOnly, int64_t now);

}  // namespace platform::posix
