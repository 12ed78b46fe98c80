// The control's authentication properties, which double as the network
// configuration: the web server's and the proxy's credentials, the proxy's
// location, and where the configuration came from (AuthReserved). The
// control keeps one; its property handlers read and write the fields.
#pragma once

#include <cstdint>
#include <string>

struct NetworkProperties {
  static constexpr const char* kNotSet = "NOT_SET";
  static constexpr const char* kFromRegistry = "IECACHE";

  std::string authUser;
  std::string authPassword;
  std::string authProxyUser;
  std::string authProxyPassword;
  std::string authProxyUrl;
  int32_t authProxyPort = 0;  // 0: none
  // "NOT_SET", "IECACHE", or the client type the page set.
  std::string authReserved = kNotSet;

  // The client types that ask for authentication on the WinInet layer.
  bool AsksForWinInetAuthentication() const {
    return authReserved == "DUVO" || authReserved == "ZAVAZODOVOR" || authReserved == "DORIVIZU";
  }
};
