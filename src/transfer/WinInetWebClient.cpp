#include "transfer/WinInetWebClient.h"

#include <algorithm>
#include <vector>

#include "infra/Encoders.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"
#include "platform/DebugOutput.h"
#include "platform/TextCompare.h"

namespace {

constexpr size_t kHostBufferSize = 260;

SimpleLogger& Log() { return *SimpleLogger::GetInstance(); }

}  // namespace

WinInetWebClient::WinInetWebClient() = default;

WinInetWebClient::~WinInetWebClient() {
  ReleaseConnection();
  clientCertificate_.Reset();
  store_.Close();
}

void WinInetWebClient::ReleaseConnection() {
  if (connection_) {
    connection_.reset();
    platform::SendDebugOutput("[WinInetWebClient::ReleaseConnection]\tConnection released.");
  }
  platform::SendDebugOutput("[WinInetWebClient::ReleaseConnection]\tReleaseConnection completed.");
}

bool WinInetWebClient::TrySetClientCertificate(const std::string& serialNumberHex) {
  static const char kLocation[] = "WinInetWebClient::TrySetClientCertificate";
  if (clientCertificate_.IsValid()) {
    Log().Warning(kLocation, "Client certificate already set. Client certificate will not be updated.");
    return false;
  }
  HexByteBuffer buffer;
  const size_t size = ConvertHexStringToHexByteArray(serialNumberHex, buffer);
  if (size == 0) {
    Log().Error(kLocation, "Unable to convert hexa string to binary array.");
    return false;
  }
  // The store keeps serial numbers least significant byte first.
  std::vector<uint8_t> serial(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(size));
  std::reverse(serial.begin(), serial.end());

  Log().Info(kLocation, "Accessing current user certificate store");
  if (platform::Win32Error error = platform::CertificateStore::OpenCurrentUserPersonal(store_)) {
    Log().Error(kLocation, Format("Unable to open current user certificate store. Error: %ld", error));
    return false;
  }
  platform::CertificateContext candidate;
  while (store_.NextCertificate(candidate)) {
    if (platform::CompareIntegerBlob(candidate.SerialNumber(), serial)) {
      clientCertificate_ = candidate;
      Log().Info(kLocation, "Requested client certificate was found in store.");
      return true;
    }
  }
  Log().Error(kLocation, "Requested client certificate was not found in the store.");
  return false;
}

bool WinInetWebClient::ServesUrl(const WinInetConnection& connection, const std::string& url) const {
  platform::UrlComponents parts;
  return platform::InetCrackUrl(url, kHostBufferSize, parts) == platform::kErrorSuccess &&
         platform::CodePageEqualsNoCase(parts.host, connection.Host()) && parts.port == connection.Port() &&
         parts.scheme == connection.Scheme();
}

WinInetConnection* WinInetWebClient::GetConnection(const std::string& url) {
  static const char kLocation[] = "WinInetWebClient::GetConnection";
  // A healthy connection serves later requests, but only to its own server:
  // a URL of another server gets a connection of its own.
  if (connection_ && connection_->HasConnectionHandle() && connection_->LastError() == 0 &&
      ServesUrl(*connection_, url))
    return connection_.get();
  connection_.reset();

  Log().Info(kLocation, "Creating new connection object");
  std::string host;
  uint16_t port = 0;
  uint32_t scheme = 0;
  if (!TryGetHostInfo(url, host, port, scheme)) {
    Log().Error(kLocation, Format("Unable to get host info from URL %s", url.c_str()));
    return nullptr;
  }
  auto connection = std::make_unique<WinInetConnection>(host, port, scheme);
  connection->SetAgent(agent_);
  connection->SetCertificateErrorMask(certificateErrorMask_);
  if (clientCertificate_.IsValid()) connection->SetClientCertificate(&clientCertificate_);
  if (!proxyUser_.empty()) connection->SetProxyCredentials(proxyUser_, proxyPassword_);
  if (!webUser_.empty()) connection->SetWebCredentials(webUser_, webPassword_);
  if (!connection->ConnectToServer()) {
    Log().Error(kLocation, Format("Unable to connect to %s. Error: %ld", host.c_str(), connection->LastError()));
    return nullptr;
  }
  Log().Info(kLocation, "Connection object is ready");
  connection_ = std::move(connection);
  return connection_.get();
}

bool WinInetWebClient::TryGetHostInfo(const std::string& url, std::string& host, uint16_t& port,
                                      uint32_t& scheme) {
  static const char kLocation[] = "WinInetWebClient::TryGetHostInfo";
  Log().Info(kLocation, Format("Geting host and port information from URL: %s", url.c_str()));
  platform::UrlComponents parts;
  if (platform::Win32Error error = platform::InetCrackUrl(url, kHostBufferSize, parts)) {
    Log().Error(kLocation, Format("InternetCrackUrl returned with error: %ld. Provided URL: %s", error, url.c_str()));
    return false;
  }
  host = parts.host;
  port = parts.port;
  scheme = parts.scheme;
  Log().Info(kLocation, Format("Remote host: %s Port: %d", host.c_str(), port));
  return true;
}

bool WinInetWebClient::SendBasicRequestToServer(const std::string& url) {
  static const char kLocation[] = "WinInetWebClient::SendBasicRequestToServer";
  try {
    WinInetConnection* connection = GetConnection(url);
    if (!connection) {
      Log().Error(kLocation, "Unable to connect to server.");
      return false;
    }
    uint32_t status = 0;
    if (!connection->SendRequest("GET", basicRequestResource_, status)) {
      Log().Error(kLocation, Format("Error on sending request to server. Error: %ld", connection->LastError()));
      return false;
    }
    Log().Info(kLocation, "SendBasicRequestToServer completed successfully");
    return true;
  } catch (...) {
    Log().Error(kLocation, "exception in SendBasicRequestToServer");
    return false;
  }
}

bool WinInetWebClient::DownloadFile(const std::string& url, const std::string& localPath) {
  static const char kLocation[] = "WinInetWebClient::DownloadFile";
  Log().Info(kLocation, Format("Going to download from %s to %s", url.c_str(), localPath.c_str()));
  const size_t start = url.find("/wnbin");
  if (start == std::string::npos) {
    Log().Warning(kLocation, "can't get relative path to resource");
    return false;
  }
  const std::string resource = url.substr(start + 1);
  Log().Info(kLocation, Format("remote resource path:%s", resource.c_str()));
  WinInetConnection* connection = GetConnection(url);
  if (!connection) {
    Log().Error(kLocation, "Unable establish connection to server.");
    return false;
  }
  uint32_t status = 0;
  if (!connection->SendRequest("GET", resource, status)) {
    Log().Error(kLocation, Format("Error on sending request to server. Error: %ld", connection->LastError()));
    return false;
  }
  if (!connection->DownloadRequest(localPath)) {
    Log().Error(kLocation, Format("Error on download file. Error: %ld", connection->LastError()));
    return false;
  }
  return true;
}

bool WinInetWebClient::Authenticate(const std::string& url) {
  static const char kLocation[] = "WinInetWebClient::Authenticate";
  Log().Info(kLocation, "Trying to authenticate client");
  if (webUser_.empty() && proxyUser_.empty()) {
    Log().Info(kLocation, "Credentials are not provided. Authentication skipped.");
    return true;
  }
  if (!SendBasicRequestToServer(url)) {
    Log().Error(kLocation, "Unable to send request to server");
    return false;
  }
  Log().Info(kLocation, "Authenticate client on wininet layer completed");
  return true;
}

bool WinInetWebClient::TryGetBasicAuthenticationCredentials(const std::string& url, std::string& user,
                                                            std::string& password) {
  static const char kLocation[] = "WinInetWebClient::TryGetBasicAuthenticationCredentials";
  try {
    Log().Info(kLocation, "Trying to get authentication credentials");
    if (!SendBasicRequestToServer(url)) {
      Log().Error(kLocation, "Unable to send request to server");
      return false;
    }
    if (!connection_->QueryInternetOptionsForCredentials(user, password)) {
      Log().Error(kLocation, Format("Error on query for credentials. Error: %ld", connection_->LastError()));
      return false;
    }
    Log().Info(kLocation, "Query for authentication credentials completed");
    return true;
  } catch (...) {
    Log().Error(kLocation, "exception on TryGetBasicAuthenticationCredentials");
    return false;
  }
}

bool WinInetWebClient::TryGetCookies(const std::string& url, char* buffer, uint32_t& length) {
  static const char kLocation[] = "WinInetWebClient::TryGetCookies";
  Log().Info(kLocation, Format("Getting cookies for given url: %s", url.c_str()));
  if (!SendBasicRequestToServer(url)) {
    Log().Error(kLocation, "Unable to send request to server");
    return false;
  }
  const std::string cookieUrl = JoinUrl(url, "start_a.js");
  const platform::Win32Error error =
      platform::InetGetCookieEx(cookieUrl, platform::kInternetCookieHttpOnly, buffer, length);
  if (error == platform::kErrorSuccess) {
    Log().Info(kLocation, Format("InternetGetCookieEx for %s. Data length %u", cookieUrl.c_str(), length));
  } else {
    length = 0;
    Log().Info(kLocation, Format("InternetGetCookie for %s error:%ld", cookieUrl.c_str(), error));
  }
  Log().Info(kLocation, "TryGetCookies cookies completed");
  return error == platform::kErrorSuccess;
}
