// The WinInet calls of the web client, one function per call, with the
// Win32 error of a failed call as the result (kErrorSuccess on success).
// win32: WinInet itself. posix: libcurl, over one easy handle that the whole
// process reuses, so connections stay open between requests as WinInet
// keeps them; credentials, the client certificate, the relaxed certificate
// checks and the cookies behave as WinInet's do. The proxy is the
// preconfigured one: posix reads the current user's "Internet Settings"
// (ProxyEnable, ProxyServer, ProxyOverride) from the machine root, else
// libcurl's usual proxy environment variables.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/CertificateStore.h"
#include "platform/Win32Codes.h"

namespace platform {

// INTERNET_SCHEME_*.
constexpr uint32_t kInternetSchemeHttp = 3;
constexpr uint32_t kInternetSchemeHttps = 4;

// INTERNET_FLAG_* of HttpOpenRequestA.
constexpr uint32_t kInternetFlagReload = 0x80000000u;
constexpr uint32_t kInternetFlagNoCacheWrite = 0x04000000u;
constexpr uint32_t kInternetFlagSecure = 0x00800000u;
constexpr uint32_t kInternetFlagKeepConnection = 0x00400000u;
constexpr uint32_t kInternetFlagResynchronize = 0x00000800u;
constexpr uint32_t kInternetFlagNoUi = 0x00000200u;

// SECURITY_FLAG_* of the security-flags option: checks a request skips.
constexpr uint32_t kSecurityFlagIgnoreRevocation = 0x80;
constexpr uint32_t kSecurityFlagIgnoreUnknownCa = 0x100;
constexpr uint32_t kSecurityFlagIgnoreWrongUsage = 0x200;
constexpr uint32_t kSecurityFlagIgnoreCertCnInvalid = 0x1000;
constexpr uint32_t kSecurityFlagIgnoreCertDateInvalid = 0x2000;

// INTERNET_OPTION_*.
constexpr uint32_t kInternetOptionUsername = 28;
constexpr uint32_t kInternetOptionPassword = 29;
constexpr uint32_t kInternetOptionSecurityFlags = 31;
constexpr uint32_t kInternetOptionProxyUsername = 43;
constexpr uint32_t kInternetOptionProxyPassword = 44;

// INTERNET_COOKIE_HTTPONLY.
constexpr uint32_t kInternetCookieHttpOnly = 0x2000;

// WinInet's errors.
constexpr Win32Error kErrorInsufficientBuffer = 122;
constexpr Win32Error kErrorInternetTimeout = 12002;
constexpr Win32Error kErrorInternetInvalidUrl = 12005;
constexpr Win32Error kErrorInternetNameNotResolved = 12007;
constexpr Win32Error kErrorInternetIncorrectHandleType = 12018;
constexpr Win32Error kErrorInternetOperationCancelled = 12017;
constexpr Win32Error kErrorInternetCannotConnect = 12029;
constexpr Win32Error kErrorInternetConnectionAborted = 12030;
constexpr Win32Error kErrorInternetConnectionReset = 12031;
constexpr Win32Error kErrorInternetSecCertDateInvalid = 12037;
constexpr Win32Error kErrorInternetSecCertCnInvalid = 12038;
constexpr Win32Error kErrorInternetClientAuthCertNeeded = 12044;
constexpr Win32Error kErrorInternetInvalidCa = 12045;
constexpr Win32Error kErrorInternetSecCertRevFailed = 12057;
constexpr Win32Error kErrorHttpInvalidServerResponse = 12152;
constexpr Win32Error kErrorHttpRedirectFailed = 12156;
constexpr Win32Error kErrorInternetSecurityChannelError = 12157;
constexpr Win32Error kErrorInternetSecInvalidCert = 12169;

// An HINTERNET, closed with InternetCloseHandle when the object goes.
class InternetHandle {
 public:
  class Impl;

  InternetHandle();
  ~InternetHandle();
  InternetHandle(InternetHandle&&) noexcept;
  InternetHandle& operator=(InternetHandle&&) noexcept;
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  bool IsOpen() const;
  void Close();

  Impl* Get() const { return impl_.get(); }
  void Reset(std::unique_ptr<Impl> impl);

 private:
  std::unique_ptr<Impl> impl_;
};

// InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, NULL, NULL, 0).
Win32Error InetOpen(const std::string& agent, InternetHandle& session);

// InternetConnectA(session, host, port, NULL, NULL, INTERNET_SERVICE_HTTP, 0, 0).
Win32Error InetConnect(const InternetHandle& session, const std::string& host, uint16_t port,
                           InternetHandle& connection);

// HttpOpenRequestA(connection, verb, resource, NULL (HTTP/1.1), "" referrer,
// NULL accept types, flags, 0).
Win32Error InetOpenRequest(const InternetHandle& connection, const std::string& verb,
                           const std::string& resource, uint32_t flags, InternetHandle& request);

// HttpSendRequestA(request, NULL, 0, NULL, 0).
Win32Error InetSendRequest(const InternetHandle& request);

// HttpQueryInfoA(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER) into four bytes.
Win32Error InetQueryStatusCode(const InternetHandle& request, uint32_t& status);

// InternetReadFile: read is 0 at the end of the reply.
Win32Error InetReadFile(const InternetHandle& request, void* buffer, uint32_t size,
                            uint32_t& read);

// InternetSetOptionA with a text (its length without the terminator) or a
// 32-bit number.
Win32Error InetSetOptionText(const InternetHandle& handle, uint32_t option,
                                 const std::string& text);
Win32Error InetSetOptionNumber(const InternetHandle& handle, uint32_t option, uint32_t value);

// InternetSetOptionA(INTERNET_OPTION_CLIENT_CERT_CONTEXT) with the context.
Win32Error InetSetClientCertificate(const InternetHandle& request,
                                        const CertificateContext& certificate);

// InternetQueryOptionA of a text option into a buffer of bufferSize bytes.
Win32Error InetQueryOptionText(const InternetHandle& handle, uint32_t option,
                                   size_t bufferSize, std::string& text);

struct UrlComponents {
  std::string host;
  uint16_t port = 0;
  uint32_t scheme = 0;  // kInternetSchemeHttp, kInternetSchemeHttps, ...
};

// InternetCrackUrlA(url, 0, 0, ...) with a host buffer of hostBufferSize
// characters; the port is the scheme's default when the URL names none.
Win32Error InetCrackUrl(const std::string& url, size_t hostBufferSize, UrlComponents& parts);

// InternetGetCookieExA(url, NULL, buffer, &length, flags, NULL): the cookies
// the session holds for url as "name=value; name=value", length as the call
// sets it. ERROR_NO_MORE_ITEMS when there is none.
Win32Error InetGetCookieEx(const std::string& url, uint32_t flags, char* buffer,
                               uint32_t& length);

}  // namespace platform
