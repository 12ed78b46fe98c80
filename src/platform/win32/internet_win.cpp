// The web client's calls straight onto WinInet.
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <cstdlib>
#include <vector>

#include "platform/Internet.h"
#include "platform/win32/certificate_context_win.h"

namespace platform {

class InternetHandle::Impl {
 public:
  explicit Impl(HINTERNET handle) : handle(handle) {}
  ~Impl() { InternetCloseHandle(handle); }
  HINTERNET handle;
  // Of a request's reply: the length it announced (-1: none, -2: not
  // asked yet) and the bytes read so far.
  long long announced = -2;
  unsigned long long received = 0;
};

namespace {

Win32Error LastError() { return static_cast<Win32Error>(GetLastError()); }

HINTERNET HandleOf(const InternetHandle& handle) { return handle.Get() ? handle.Get()->handle : nullptr; }

Win32Error Keep(HINTERNET opened, InternetHandle& handle) {
  if (!opened) return LastError();
  handle.Reset(std::make_unique<InternetHandle::Impl>(opened));
  return kErrorSuccess;
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
  return Keep(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0), session);
}

Win32Error InetConnect(const InternetHandle& session, const std::string& host, uint16_t port,
                           InternetHandle& connection) {
  return Keep(InternetConnectA(HandleOf(session), host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
              connection);
}

Win32Error InetOpenRequest(const InternetHandle& connection, const std::string& verb,
                           const std::string& resource, uint32_t flags, InternetHandle& request) {
  return Keep(HttpOpenRequestA(HandleOf(connection), verb.c_str(), resource.c_str(), nullptr, "", nullptr, flags, 0),
              request);
}

Win32Error InetSendRequest(const InternetHandle& request) {
  if (request.Get()) {
    request.Get()->announced = -2;
    request.Get()->received = 0;
  }
  return HttpSendRequestA(HandleOf(request), nullptr, 0, nullptr, 0) ? kErrorSuccess : LastError();
}

Win32Error InetQueryStatusCode(const InternetHandle& request, uint32_t& status) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (!HttpQueryInfoA(HandleOf(request), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
    return LastError();
  status = value;
  return kErrorSuccess;
}

// A reply whose connection closed short of its announced length is not
// the end of the file but a broken transfer.
Win32Error InetReadFile(const InternetHandle& request, void* buffer, uint32_t size, uint32_t& read) {
  InternetHandle::Impl* impl = request.Get();
  if (impl && impl->announced == -2) {
    char text[32] = {};
    DWORD textSize = sizeof(text) - 1;
    impl->announced = HttpQueryInfoA(impl->handle, HTTP_QUERY_CONTENT_LENGTH, text, &textSize, nullptr)
                          ? std::strtoll(text, nullptr, 10)
                          : -1;
  }
  DWORD got = 0;
  const BOOL ok = InternetReadFile(HandleOf(request), buffer, size, &got);
  read = got;
  if (!ok) return LastError();
  if (impl) {
    impl->received += got;
    if (got == 0 && impl->announced >= 0 && impl->received < static_cast<unsigned long long>(impl->announced))
      return ERROR_INTERNET_CONNECTION_ABORTED;
  }
  return kErrorSuccess;
}

Win32Error InetSetOptionText(const InternetHandle& handle, uint32_t option, const std::string& text) {
  return InternetSetOptionA(HandleOf(handle), option, const_cast<char*>(text.c_str()),
                            static_cast<DWORD>(text.size()))
             ? kErrorSuccess
             : LastError();
}

Win32Error InetSetOptionNumber(const InternetHandle& handle, uint32_t option, uint32_t value) {
  DWORD number = value;
  return InternetSetOptionA(HandleOf(handle), option, &number, sizeof(number)) ? kErrorSuccess : LastError();
}

Win32Error InetSetClientCertificate(const InternetHandle& request, const CertificateContext& certificate) {
  PCCERT_CONTEXT context = win32::ContextOf(certificate);
  if (!context) return kErrorInvalidParameter;
  return InternetSetOptionA(HandleOf(request), INTERNET_OPTION_CLIENT_CERT_CONTEXT,
                            const_cast<CERT_CONTEXT*>(context), sizeof(CERT_CONTEXT))
             ? kErrorSuccess
             : LastError();
}

Win32Error InetQueryOptionText(const InternetHandle& handle, uint32_t option, size_t bufferSize,
                                   std::string& text) {
  std::vector<char> buffer(bufferSize + 1, '\0');
  DWORD size = static_cast<DWORD>(bufferSize);
  if (!InternetQueryOptionA(HandleOf(handle), option, buffer.data(), &size)) return LastError();
  text = buffer.data();
  return kErrorSuccess;
}

Win32Error InetCrackUrl(const std::string& url, size_t hostBufferSize, UrlComponents& parts) {
  std::vector<char> host(hostBufferSize, '\0');
  URL_COMPONENTSA components = {};
  components.dwStructSize = sizeof(components);
  components.lpszHostName = host.data();
  components.dwHostNameLength = static_cast<DWORD>(hostBufferSize);
  if (!InternetCrackUrlA(url.c_str(), 0, 0, &components)) return LastError();
  parts.host.assign(host.data(), components.dwHostNameLength);
  parts.port = components.nPort;
  parts.scheme = static_cast<uint32_t>(components.nScheme);
  return kErrorSuccess;
}

Win32Error InetGetCookieEx(const std::string& url, uint32_t flags, char* buffer, uint32_t& length) {
  DWORD size = length;
  const BOOL ok = InternetGetCookieExA(url.c_str(), nullptr, buffer, &size, flags, nullptr);
  length = size;
  return ok ? kErrorSuccess : LastError();
}

}  // namespace platform
