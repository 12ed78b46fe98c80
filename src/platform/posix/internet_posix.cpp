// WinInet's handles over the process's libcurl session: a session handle
// keeps the agent, a connection handle the server and its credentials, a
// request handle one GET whose reply is read as it arrives.
#include <cstring>

#include "platform/Internet.h"
#include "platform/posix/http_exchange.h"

namespace platform {

class InternetHandle::Impl {
 public:
  virtual ~Impl() = default;
};

namespace {

constexpr Win32Error kErrorInternetInternalError = 12004;
constexpr Win32Error kErrorInternetUnrecognizedScheme = 12006;
constexpr Win32Error kErrorInternetInvalidOption = 12009;
constexpr Win32Error kErrorHttpHeaderNotFound = 12150;
constexpr uint32_t kInternetSchemeUnknown = 0xFFFFFFFFu;

// What a request copies from its connection when it is sent.
struct ConnectionSettings {
  std::string agent;
  std::string host;
  uint16_t port = 0;
  std::string user, password, proxyUser, proxyPassword;
};

struct SessionHandle : InternetHandle::Impl {
  std::string agent;
};

struct ConnectionHandle : InternetHandle::Impl {
  std::shared_ptr<ConnectionSettings> settings = std::make_shared<ConnectionSettings>();
};

struct RequestHandle : InternetHandle::Impl {
  std::shared_ptr<ConnectionSettings> connection;
  std::string resource;
  uint32_t flags = 0;
  uint32_t securityFlags = 0;
  // Credentials set on the request itself; unset ones come from the connection.
  std::unique_ptr<std::string> user, password, proxyUser, proxyPassword;
  CertificateContext certificate;
  posix::HttpExchange exchange;
  bool sent = false;
};

template <typename T>
T* As(const InternetHandle& handle) {
  return dynamic_cast<T*>(handle.Get());
}

Win32Error ErrorOf(const posix::ExchangeResult& result) {
  using Kind = posix::ExchangeResult::Kind;
  switch (result.kind) {
    case Kind::Ok: return kErrorSuccess;
    case Kind::NameNotResolved: return kErrorInternetNameNotResolved;
    case Kind::CannotConnect: return kErrorInternetCannotConnect;
    case Kind::TimedOut: return kErrorInternetTimeout;
    case Kind::Tls: return posix::WinInetErrorOf(result.tlsProblem);
    case Kind::ClientCertificateNeeded: return kErrorInternetClientAuthCertNeeded;
    case Kind::ConnectionAborted: return kErrorInternetConnectionAborted;
    case Kind::TooManyRedirects: return kErrorHttpRedirectFailed;
    case Kind::ExcessData: return kErrorHttpInvalidServerResponse;
    case Kind::InvalidUrl: return kErrorInternetInvalidUrl;
    case Kind::Cancelled: return kErrorInternetOperationCancelled;
    case Kind::Other: return kErrorInternetInternalError;
  }
  return kErrorInternetInternalError;
}

std::string* CredentialOf(ConnectionSettings& settings, uint32_t option) {
  switch (option) {
    case kInternetOptionUsername: return &settings.user;
    case kInternetOptionPassword: return &settings.password;
    case kInternetOptionProxyUsername: return &settings.proxyUser;
    case kInternetOptionProxyPassword: return &settings.proxyPassword;
    default: return nullptr;
  }
}

std::unique_ptr<std::string>* CredentialOf(RequestHandle& request, uint32_t option) {
  switch (option) {
    case kInternetOptionUsername: return &request.user;
    case kInternetOptionPassword: return &request.password;
    case kInternetOptionProxyUsername: return &request.proxyUser;
    case kInternetOptionProxyPassword: return &request.proxyPassword;
    default: return nullptr;
  }
}

std::string EffectiveCredential(RequestHandle& request, uint32_t option) {
  std::unique_ptr<std::string>* own = CredentialOf(request, option);
  if (own && *own) return **own;
  std::string* inherited = CredentialOf(*request.connection, option);
  return inherited ? *inherited : "";
}

}  // namespace

InternetHandle::InternetHandle() = default;
InternetHandle::~InternetHandle() = default;
InternetHandle::InternetHandle(InternetHandle&&) noexcept = default;
InternetHandle& InternetHandle::operator=(InternetHandle&&) noexcept = default;
bool InternetHandle::IsOpen() const { return impl_ != nullptr; }
void InternetHandle::Close() { impl_.reset(); }
void InternetHandle::Reset(std::unique_ptr<Impl> impl) { impl_ = std::move(impl); }

Win32Error InetOpen(const std::string& agent, InternetHandle& session) {
  auto handle = std::make_unique<SessionHandle>();
  handle->agent = agent;
  session.Reset(std::move(handle));
  return kErrorSuccess;
}

Win32Error InetConnect(const InternetHandle& session, const std::string& host, uint16_t port,
                           InternetHandle& connection) {
  const SessionHandle* owner = As<SessionHandle>(session);
  if (!owner) return kErrorInvalidHandle;
  if (host.empty()) return kErrorInvalidParameter;
  auto handle = std::make_unique<ConnectionHandle>();
  handle->settings->agent = owner->agent;
  handle->settings->host = host;
  handle->settings->port = port;
  connection.Reset(std::move(handle));
  return kErrorSuccess;
}

Win32Error InetOpenRequest(const InternetHandle& connection, const std::string& verb,
                           const std::string& resource, uint32_t flags, InternetHandle& request) {
  const ConnectionHandle* owner = As<ConnectionHandle>(connection);
  if (!owner) return kErrorInvalidHandle;
  // The loader only ever fetches.
  if (verb != "GET") return kErrorNotSupported;
  auto handle = std::make_unique<RequestHandle>();
  handle->connection = owner->settings;
  handle->resource = resource.empty() || resource[0] != '/' ? "/" + resource : resource;
  handle->flags = flags;
  // Of the open flags only these two relax certificate checks.
  handle->securityFlags = flags & (kSecurityFlagIgnoreCertCnInvalid | kSecurityFlagIgnoreCertDateInvalid);
  request.Reset(std::move(handle));
  return kErrorSuccess;
}

Win32Error InetSendRequest(const InternetHandle& handle) {
  RequestHandle* request = As<RequestHandle>(handle);
  if (!request) return kErrorInvalidHandle;
  const ConnectionSettings& connection = *request->connection;
  const bool secure = (request->flags & kInternetFlagSecure) != 0;
  const std::string host =
      connection.host.find(':') != std::string::npos ? "[" + connection.host + "]" : connection.host;
  posix::ExchangeRequest exchange;
  exchange.url = (secure ? "https://" : "http://") + host + ":" + std::to_string(connection.port) +
                 request->resource;
  exchange.agent = connection.agent;
  exchange.user = EffectiveCredential(*request, kInternetOptionUsername);
  exchange.password = EffectiveCredential(*request, kInternetOptionPassword);
  exchange.proxyUser = EffectiveCredential(*request, kInternetOptionProxyUsername);
  exchange.proxyPassword = EffectiveCredential(*request, kInternetOptionProxyPassword);
  exchange.securityFlags = request->securityFlags;
  exchange.identity = posix::IdentityOf(request->certificate);
  request->sent = false;
  const Win32Error error = ErrorOf(request->exchange.Start(exchange));
  request->sent = error == kErrorSuccess;
  return error;
}

Win32Error InetQueryStatusCode(const InternetHandle& handle, uint32_t& status) {
  RequestHandle* request = As<RequestHandle>(handle);
  if (!request) return kErrorInvalidHandle;
  if (!request->sent || request->exchange.Status() == 0) return kErrorHttpHeaderNotFound;
  status = request->exchange.Status();
  return kErrorSuccess;
}

Win32Error InetReadFile(const InternetHandle& handle, void* buffer, uint32_t size,
                            uint32_t& read) {
  read = 0;
  RequestHandle* request = As<RequestHandle>(handle);
  if (!request) return kErrorInvalidHandle;
  if (!request->sent) return kErrorInternetIncorrectHandleType;
  size_t received = 0;
  const Win32Error error = ErrorOf(request->exchange.Read(static_cast<char*>(buffer), size, received));
  read = static_cast<uint32_t>(received);
  return error;
}

Win32Error InetSetOptionText(const InternetHandle& handle, uint32_t option,
                                 const std::string& text) {
  if (RequestHandle* request = As<RequestHandle>(handle)) {
    std::unique_ptr<std::string>* slot = CredentialOf(*request, option);
    if (!slot) return kErrorInternetInvalidOption;
    *slot = std::make_unique<std::string>(text);
    return kErrorSuccess;
  }
  if (ConnectionHandle* connection = As<ConnectionHandle>(handle)) {
    std::string* slot = CredentialOf(*connection->settings, option);
    if (!slot) return kErrorInternetInvalidOption;
    *slot = text;
    return kErrorSuccess;
  }
  return handle.IsOpen() ? kErrorInternetIncorrectHandleType : kErrorInvalidHandle;
}

Win32Error InetSetOptionNumber(const InternetHandle& handle, uint32_t option, uint32_t value) {
  RequestHandle* request = As<RequestHandle>(handle);
  if (!request) return handle.IsOpen() ? kErrorInternetIncorrectHandleType : kErrorInvalidHandle;
  if (option != kInternetOptionSecurityFlags) return kErrorInternetInvalidOption;
  // As WinInet: only the ignore flags can be set, and they add up.
  request->securityFlags |= value & (kSecurityFlagIgnoreRevocation | kSecurityFlagIgnoreUnknownCa |
                                     kSecurityFlagIgnoreWrongUsage | kSecurityFlagIgnoreCertCnInvalid |
                                     kSecurityFlagIgnoreCertDateInvalid);
  return kErrorSuccess;
}

Win32Error InetSetClientCertificate(const InternetHandle& handle,
                                        const CertificateContext& certificate) {
  RequestHandle* request = As<RequestHandle>(handle);
  if (!request) return handle.IsOpen() ? kErrorInternetIncorrectHandleType : kErrorInvalidHandle;
  if (!certificate.IsValid()) return kErrorInvalidParameter;
  request->certificate = certificate;
  return kErrorSuccess;
}

Win32Error InetQueryOptionText(const InternetHandle& handle, uint32_t option,
                                   size_t bufferSize, std::string& text) {
  std::string value;
  if (RequestHandle* request = As<RequestHandle>(handle)) {
    if (!CredentialOf(*request, option)) return kErrorInternetInvalidOption;
    value = EffectiveCredential(*request, option);
  } else if (ConnectionHandle* connection = As<ConnectionHandle>(handle)) {
    std::string* slot = CredentialOf(*connection->settings, option);
    if (!slot) return kErrorInternetInvalidOption;
    value = *slot;
  } else {
    return handle.IsOpen() ? kErrorInternetIncorrectHandleType : kErrorInvalidHandle;
  }
  if (value.size() + 1 > bufferSize) return kErrorInsufficientBuffer;
  text = value;
  return kErrorSuccess;
}

Win32Error InetCrackUrl(const std::string& url, size_t hostBufferSize, UrlComponents& parts) {
  const size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string::npos || schemeEnd == 0) return kErrorInternetUnrecognizedScheme;
  const std::string scheme = url.substr(0, schemeEnd);
  size_t hostStart = schemeEnd + 3;
  const size_t authorityEnd = url.find_first_of("/?#", hostStart);
  std::string authority = url.substr(hostStart, authorityEnd == std::string::npos
                                                    ? std::string::npos
                                                    : authorityEnd - hostStart);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority = authority.substr(at + 1);
  std::string host = authority;
  std::string port;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == std::string::npos) return kErrorInternetInvalidUrl;
    host = authority.substr(1, close - 1);
    // An address literal never holds a bracket; one that did could not be
    // written back into the request's URL.
    if (host.find('[') != std::string::npos) return kErrorInternetInvalidUrl;
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return kErrorInternetInvalidUrl;
      port = authority.substr(close + 2);
    }
  } else if (const size_t colon = authority.find(':'); colon != std::string::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.size() + 1 > hostBufferSize) return kErrorInsufficientBuffer;
  uint32_t number = 0;
  if (!port.empty()) {
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
      return kErrorInternetInvalidUrl;
    number = static_cast<uint32_t>(std::stoul(port));
    if (number > 65535) return kErrorInternetInvalidUrl;
  }
  if (scheme == "http" || scheme == "HTTP") {
    parts.scheme = kInternetSchemeHttp;
    if (port.empty()) number = 80;
  } else if (scheme == "https" || scheme == "HTTPS") {
    parts.scheme = kInternetSchemeHttps;
    if (port.empty()) number = 443;
  } else {
    parts.scheme = kInternetSchemeUnknown;
  }
  parts.host = host;
  parts.port = static_cast<uint16_t>(number);
  return kErrorSuccess;
}

Win32Error InetGetCookieEx(const std::string& url, uint32_t flags, char* buffer,
                               uint32_t& length) {
  const std::string cookies = posix::SessionCookies(url, (flags & kInternetCookieHttpOnly) != 0);
  if (cookies.empty()) {
    length = 0;
    return kErrorNoMoreItems;
  }
  // As WinInet: the length counts the terminating zero.
  const uint32_t needed = static_cast<uint32_t>(cookies.size() + 1);
  if (!buffer || length < needed) {
    length = needed;
    return buffer ? kErrorInsufficientBuffer : kErrorSuccess;
  }
  std::memcpy(buffer, cookies.c_str(), needed);
  length = needed;
  return kErrorSuccess;
}

}  // namespace platform
