// The three questions the start-up asks the server before any component is
// fetched, each answered by a small file downloaded into the deployment
// folder: is this loader's class named in the server's start script, what
// is the server's cache version, and which version code (if any) names the
// deployment. None of them stops the session; each leaves a defined state.
#pragma once

#include <string>

#include "transfer/CacheVersion.h"
#include "transfer/FileDownloader.h"

class HandshakeHost {
 public:
  virtual ~HandshakeHost() = default;
  virtual std::string ServerRootUrl() const = 0;  // TkRootURL
  virtual std::string DeploymentFolder() const = 0;
  // The control's class identifier as text, with or without braces.
  virtual std::string ClassIdentifier() const = 0;
  virtual FileDownloader& Downloader() = 0;
  virtual CacheVersionState& CacheVersion() = 0;
  // The UseZELServerVersion and ZELServerVersion properties.
  virtual void SetUseZelServerVersion(bool use) = 0;
  virtual void SetZelServerVersion(const std::string& version) = 0;
};

class ServerHandshakes {
 public:
  static constexpr const char* kForceSeparate = "FORCE_SEPARATE_CLIENT_DEPLOYMENT";

  explicit ServerHandshakes(HandshakeHost& host) : host_(host) {}

  // True only when a line of "start_a.js" names this loader's class.
  bool CheckServerVersion();
  void LoadServerCacheVersion();
  void ReadServerVersion();

  // The parsing of the replies, for the handshakes and their tests: the
  // first line of a reply without its line end; false for an empty reply.
  static bool FirstLine(const std::string& reply, std::string& line);
  // The cache version a first line gives (trimmed, "CV" first, characters a
  // URL query carries as they are); false when it gives none.
  static bool ParseCacheVersion(const std::string& line, std::string& version);
  // A version code is used as a folder and section name: it must be one.
  static bool IsUsableVersionCode(const std::string& code);

 private:
  HandshakeHost& host_;
};
