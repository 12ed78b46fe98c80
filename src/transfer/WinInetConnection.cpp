#include "transfer/WinInetConnection.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <vector>

#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/FileSystem.h"

namespace {

using platform::Win32Error;

// Reload, no cache write, keep the connection, resynchronize, no UI.
constexpr uint32_t kRequestFlags = platform::kInternetFlagReload | platform::kInternetFlagNoCacheWrite |
                                   platform::kInternetFlagKeepConnection |
                                   platform::kInternetFlagResynchronize | platform::kInternetFlagNoUi;
constexpr size_t kReadBufferSize = 65536;
constexpr size_t kCredentialBufferSize = 260;

bool IsCertificateError(Win32Error error) {
  return error == platform::kErrorInternetSecCertDateInvalid ||
         error == platform::kErrorInternetSecCertCnInvalid || error == platform::kErrorInternetInvalidCa ||
         error == platform::kErrorInternetSecCertRevFailed;
}

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

}  // namespace

WinInetConnection::WinInetConnection(const std::string& host, uint16_t port, uint32_t scheme)
    : host_(host), port_(port), scheme_(scheme), requestFlags_(kRequestFlags) {
  if (scheme == platform::kInternetSchemeHttps) {
    requestFlags_ |= platform::kInternetFlagSecure;
    Log().Info("WinInetConnection::WinInetConnection", "HttpOpenRequestFlags - using SSL");
  }
}

WinInetConnection::~WinInetConnection() = default;

void WinInetConnection::SetProxyCredentials(const std::string& user, const std::string& password) {
  proxyUser_ = user;
  proxyPassword_ = password;
}

void WinInetConnection::SetWebCredentials(const std::string& user, const std::string& password) {
  webUser_ = user;
  webPassword_ = password;
}

bool WinInetConnection::ConnectToServer() {
  static const char kLocation[] = "WinInetConnection::ConnectToServer";
  Log().Info(kLocation, Format("Connecting to server:%s", host_.c_str()));
  if (Win32Error error = platform::InetOpen(agent_, session_)) {
    lastError_ = error;
    Log().Warning(kLocation, Format("InternetOpen, error code : %ld", error));
    return false;
  }
  Log().Info(kLocation, "InternetOpen success");
  Log().Info(kLocation, Format("InternetConnect. Host:%s port:%d", host_.c_str(), port_));
  if (Win32Error error = platform::InetConnect(session_, host_, port_, connection_)) {
    lastError_ = error;
    Log().Warning(kLocation, Format("InternetConnect, error code : %ld", error));
    return false;
  }
  Log().Info(kLocation, "InternetConnect success");
  if (!TrySetCredentials()) {
    Log().Warning(kLocation, Format("Unable to set web or proxy credentials, error code : %ld", lastError_));
    return false;
  }
  Log().Info(kLocation, "Connected to server");
  return true;
}

bool WinInetConnection::TrySetCredentials() {
  const bool web = TrySetWebServerCredentials();
  const bool proxy = TrySetProxyCredentials();
  return web && proxy;
}

namespace {

// Sets a user name and password on the connection, logging as location.
bool SetCredentialPair(const platform::InternetHandle& connection, uint32_t userOption,
                       const std::string& user, uint32_t passwordOption, const std::string& password,
                       const char* location, Win32Error& lastError) {
  if (Win32Error error = platform::InetSetOptionText(connection, userOption, user)) {
    lastError = error;
    Log().Error(location, Format("InternetSetOption, error code : %ld", error));
    return false;
  }
  Log().Info(location, "username set");
  if (Win32Error error = platform::InetSetOptionText(connection, passwordOption, password)) {
    lastError = error;
    Log().Error(location, Format("InternetSetOption, error code : %ld", error));
    return false;
  }
  Log().Info(location, "password set");
  return true;
}

}  // namespace

bool WinInetConnection::TrySetWebServerCredentials() {
  static const char kLocation[] = "WinInetConnection::TrySetWebServerCredentials";
  if (webUser_.empty()) {
    Log().Info(kLocation, "Web server authentication is not set, skipping TrySetWebServerCredentials.");
    return true;
  }
  Log().Info(kLocation, "Trying to set web server credentials");
  return SetCredentialPair(connection_, platform::kInternetOptionUsername, webUser_,
                           platform::kInternetOptionPassword, webPassword_, kLocation, lastError_);
}

bool WinInetConnection::TrySetProxyCredentials() {
  static const char kLocation[] = "WinInetConnection::TrySetProxyCredentials";
  if (proxyUser_.empty()) {
    Log().Info(kLocation, "Proxy authentication is not set, skipping TrySetProxyCredentials");
    return true;
  }
  Log().Info(kLocation, "Trying to set proxy server credentials");
  return SetCredentialPair(connection_, platform::kInternetOptionProxyUsername, proxyUser_,
                           platform::kInternetOptionProxyPassword, proxyPassword_, kLocation, lastError_);
}

bool WinInetConnection::SendRequest(const std::string& verb, const std::string& resource,
                                    uint32_t& status) {
  static const char kLocation[] = "WinInetConnection::SendRequest";
  Log().Info(kLocation, Format("Sending request %s for resouce %s", verb.c_str(), resource.c_str()));
  Log().Info(kLocation, Format("HttpOpenRequest. Open request: %s", resource.c_str()));
  if (request_.IsOpen()) {
    request_.Close();
    Log().Info(kLocation, "Previous HTTP request closed");
  }
  if (Win32Error error = platform::InetOpenRequest(connection_, verb, resource, requestFlags_, request_)) {
    lastError_ = error;
    Log().Warning(kLocation, Format("HttpOpenRequest, error code : %ld", error));
    return false;
  }
  Log().Info(kLocation, "HttpOpenRequest success");
  if (clientCertificateNeeded_) AddClientCertificateToRequest();

  for (int attempt = 0; attempt < 2; ++attempt) {
    Log().Info(kLocation, "HttpSendRequest. Sending request.");
    const Win32Error error = platform::InetSendRequest(request_);
    if (error == platform::kErrorSuccess) {
      Log().Info(kLocation, "HttpSendRequest success");
      break;
    }
    if (error == platform::kErrorInternetClientAuthCertNeeded || IsCertificateError(error))
      Log().Info(kLocation, Format("HttpSendRequest, error code : %ld", error));
    if (error == platform::kErrorInternetClientAuthCertNeeded) {
      Log().Info(kLocation, "Client certificate needed for request. Adding client certificate");
      lastError_ = 0;
      clientCertificateNeeded_ = true;
      AddClientCertificateToRequest();
    } else if (IsCertificateError(error)) {
      Log().Warning(kLocation, "SSL certificate errors detected. Adding ignore SSL error flags");
      lastError_ = 0;
      UpdateSecurityOptionsForRequest();
    } else {
      lastError_ = error;
      Log().Error(kLocation, Format("HttpSendRequest, error code : %ld", error));
      return false;
    }
  }

  Log().Info(kLocation, "Query request result");
  uint32_t code = 0;
  if (Win32Error error = platform::InetQueryStatusCode(request_, code)) {
    lastError_ = error;
    Log().Error(kLocation, Format("HttpQueryInfo, error code : %ld", error));
    return false;
  }
  Log().Info(kLocation, Format("HttpQueryInfo - success. HTTP response status is %u.", code));
  status = code;
  if (code == 200) return true;
  Log().Warning(kLocation, Format("HTTP status differs from OK. Transaction failed. HTTP status code: %u", code));
  return false;
}

bool WinInetConnection::UpdateSecurityOptionsForRequest() {
  static const char kLocation[] = "WinInetConnection::UpdateSecurityOptionsForRequest";
  if (scheme_ != platform::kInternetSchemeHttps) {
    Log().Info(kLocation, "No need to update security options");
    return true;
  }
  Log().Warning(kLocation,
                "Updating SSL certificate related flags to ignore certificate related errors. Fix your "
                "certificates. Performance hit expected.");
  if (certificateErrorMask_ & 0x1) requestFlags_ |= platform::kSecurityFlagIgnoreCertCnInvalid;
  if (certificateErrorMask_ & 0x2) requestFlags_ |= platform::kSecurityFlagIgnoreUnknownCa;
  if (certificateErrorMask_ & 0x4) requestFlags_ |= platform::kSecurityFlagIgnoreCertDateInvalid;
  if (certificateErrorMask_ & 0x8) requestFlags_ |= platform::kSecurityFlagIgnoreWrongUsage;
  requestFlags_ |= platform::kSecurityFlagIgnoreRevocation;
  if (Win32Error error =
          platform::InetSetOptionNumber(request_, platform::kInternetOptionSecurityFlags, requestFlags_)) {
    lastError_ = error;
    Log().Error(kLocation,
                Format("InternetSetOption, update secure flags for current request failed with error code : %ld",
                       error));
    return false;
  }
  Log().Info(kLocation, "Ignoring SSL Certificate errors - success");
  return true;
}

bool WinInetConnection::AddClientCertificateToRequest() {
  static const char kLocation[] = "WinInetConnection::AddClientCertificateToRequest";
  try {
    if (!clientCertificate_ || !clientCertificate_->IsValid()) return true;
    Log().Info(kLocation, "Adding client certificate to connection");
    if (Win32Error error = platform::InetSetClientCertificate(request_, *clientCertificate_)) {
      lastError_ = error;
      Log().Error(kLocation, Format("Unable to add client certificate to connection, error code : %ld", error));
      return false;
    }
    Log().Info(kLocation, "Client certificate was added to current request");
    return true;
  } catch (...) {
    Log().Error(kLocation, "exception in AddClientCertificateToRequest");
    return false;
  }
}

bool WinInetConnection::DownloadRequest(const std::string& localPath) {
  static const char kLocation[] = "WinInetConnection::DownloadRequest";
  Log().Info(kLocation, Format("Going to download file to %s", localPath.c_str()));
  platform::UniqueStdioFile file(platform::OpenStdioFile(localPath, "wb"));
  if (!file) {
    lastError_ = errno;
    Log().Error(kLocation, Format("fopen returned with error: %ld. Local path: %s", lastError_, localPath.c_str()));
    return false;
  }
  // Whatever stops the reply or the file half way leaves no file behind.
  auto discard = [&]() {
    file.reset();
    platform::DeletePath(localPath);
    return false;
  };
  std::vector<char> buffer(kReadBufferSize);
  unsigned long long total = 0;
  for (;;) {
    uint32_t read = 0;
    if (Win32Error error = platform::InetReadFile(request_, buffer.data(),
                                                      static_cast<uint32_t>(buffer.size()), read)) {
      lastError_ = error;
      Log().Error(kLocation, Format("InternetReadFile returned with error: %ld.", error));
      return discard();
    }
    if (read == 0) break;
    if (std::fwrite(buffer.data(), 1, read, file.get()) != read) {
      lastError_ = errno;
      Log().Error(kLocation, Format("fwrite returned with error: %ld. Local path: %s", lastError_, localPath.c_str()));
      return discard();
    }
    total += read;
  }
  Log().Info(kLocation, "EOF received");
  if (std::fflush(file.get()) != 0 || std::fclose(file.release()) != 0) {
    lastError_ = errno;
    Log().Error(kLocation, Format("fclose returned with error: %ld. Local path: %s", lastError_, localPath.c_str()));
    platform::DeletePath(localPath);
    return false;
  }
  Log().Info(kLocation, Format("Download completed. Bytes received %llu", total));
  return true;
}

bool WinInetConnection::QueryInternetOptionsForCredentials(std::string& user, std::string& password) {
  static const char kLocation[] = "WinInetConnection::QueryInternetOptionsForCredentials";
  try {
    Log().Info(kLocation, "Query INTERNET_OPTION_USERNAME");
    std::string text;
    if (Win32Error error = platform::InetQueryOptionText(request_, platform::kInternetOptionUsername,
                                                             kCredentialBufferSize, text)) {
      lastError_ = error;
      Log().Error(kLocation, Format("INTERNET_OPTION_USERNAME, error code : %ld", error));
      return false;
    }
    if (!text.empty()) {
      user = text;
      Log().Info(kLocation, "INTERNET_OPTION_USERNAME username=" + text);
    }
    Log().Info(kLocation, "Query INTERNET_OPTION_PASSWORD");
    text.clear();
    if (Win32Error error = platform::InetQueryOptionText(request_, platform::kInternetOptionPassword,
                                                             kCredentialBufferSize, text)) {
      lastError_ = error;
      Log().Error(kLocation, Format("INTERNET_OPTION_PASSWORD, error code : %ld", error));
      return false;
    }
    if (!text.empty()) {
      password = text;
      Log().Info(kLocation, "INTERNET_OPTION_PASSWORD - password exists");
    }
    return true;
  } catch (...) {
    Log().Error(kLocation, "exception in QueryInternetOptionsForCredentials");
    return false;
  }
}
