// What the transfer needs of the control. The session implements these
// over its live fields; tests and the command-line host use plain values.
#pragma once

#include <cstdint>
#include <string>

#include "infra/FailureTrace.h"
#include "transfer/CacheVersion.h"
#include "transfer/NetworkProperties.h"

class WinInetWebClient;

// The progress rows of the component transfers (the session's progress
// view answers both).
class TransferProgress {
 public:
  virtual ~TransferProgress() = default;
  // progress of progressMax bytes of the record at position: its bar and
  // OnFileDownloadProgress, when the position and the size are known.
  virtual void ReportFileProgress(int32_t position, uint64_t progress, uint64_t progressMax) = 0;
  // The record's transfer has ended, successfully or not.
  virtual void FinishProgressEntry(int32_t position) = 0;
};

class TransferHost {
 public:
  virtual ~TransferHost() = default;

  virtual std::string ServerRootUrl() const = 0;  // TkRootURL
  virtual const CacheVersionState& CacheVersion() const = 0;
  // A client certificate was found, so plain transfers go through WinInet.
  virtual bool ClientCertificatePresent() const = 0;
  virtual bool LocalModeActive() const = 0;
  virtual std::string DeploymentFolder() const = 0;
  virtual WinInetWebClient& WebClient() = 0;
  // The signature checker's option: no revocation lists.
  virtual bool CancelCrlCheck() const = 0;
  virtual const NetworkProperties& Network() const = 0;
  virtual FailureTrace& Failures() = 0;
  // The path macros of a destination expanded in place.
  virtual void ExpandPathMacros(std::string& path) = 0;
  virtual TransferProgress& Progress() = 0;
  // GetTempPathA; false when the system has no temporary folder to give.
  virtual bool TemporaryFolder(std::string& folder);
  // The control always checks the signature of a component; only a host
  // that measures the transfer alone (the benchmark) leaves it out.
  virtual bool ChecksSignatures() const { return true; }
};
