// The current user's "Internet Settings" of the machine root, as WinInet
// reads them: the preconfigured proxy and the receive time-out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::posix {

struct ProxyDecision {
  // False: the settings say nothing, so libcurl's proxy environment
  // variables decide.
  bool configured = false;
  // "host:port" to go through; empty for a direct connection.
  std::string proxy;
};

struct ConnectionSettings {
  ProxyDecision proxy;
  // "ReceiveTimeout" in milliseconds; 60 seconds when it is not set.
  uint32_t receiveTimeout = 60000;
};

// What the settings say for a request to host by scheme. The proxy:
// ProxyEnable, ProxyServer ("host:port" for every scheme, or
// "http=host:port;https=host:port") and ProxyOverride ("name;*.domain;
// <local>"): a host on the override list, a name without a dot when it
// holds "<local>", and the loopback addresses unless it holds "<-loopback>"
// go direct.
ConnectionSettings SettingsForUrl(const std::string& scheme, const std::string& host);

// The parts of that decision: whether ProxyOverride sends host direct, and
// the proxy ProxyServer names for scheme (empty when none).
bool ProxyBypassed(const std::string& host, const std::string& overrideList);
std::string ProxyForScheme(const std::string& server, const std::string& scheme);

}  // namespace platform::posix
