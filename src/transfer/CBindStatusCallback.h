// The transfer of one component of the download list: the file is fetched
// into the temporary folder through the URL-moniker service with progress
// shown on the component's row (the thread's messages are served
// meanwhile), then through the web client if that failed; its signature is
// checked, it is placed at its destination and recorded in the deployment
// folder's "Downloaded.txt". Failures go to the failure trace.
#pragma once

#include <string>

#include "platform/UrlMoniker.h"
#include "session/CDataStructure.h"
#include "transfer/CSimpleBindStatusCallback.h"
#include "transfer/TransferHost.h"

namespace NVarnik {

// Owner is the control's side of the transfer (TransferHost). The answers
// it shares with the plain transfer's callback (binding, priority, bind
// information) come from there.
template <class Owner>
class CBindStatusCallback : public CSimpleBindStatusCallback {
 public:
  // Resolves the record's destination and transfers it. S_OK: failures of
  // the transfer itself are reported through the failure trace.
  static platform::HResult Download(const CDataStructure& record, Owner& owner,
                                    platform::WindowHandle window);
  // Where the record's file goes: the deployment folder joined to a
  // relative destination, or its path macros expanded; a cabinet to unpack
  // keeps the name it has on the server.
  static void ResolveDestination(CDataStructure& record, Owner& owner);

  CBindStatusCallback(const CDataStructure& record, Owner& owner, platform::WindowHandle window);

  // The transfer, synchronously on the calling thread.
  void StartSyncDownload();

  platform::HResult OnProgress(uint32_t progress, uint32_t progressMax, uint32_t statusCode,
                               const std::string& statusText) override;
  platform::HResult GetBindInfo(uint32_t* bindFlags, platform::BindInfo* info) override;
  platform::HResult GetWindow(platform::WindowReason reason, platform::WindowHandle* window) override;
  platform::HResult OnSecurityProblem(uint32_t problem) override;
  bool OffersAuthentication() const override { return true; }
  platform::HResult Authenticate(platform::AuthenticationAnswer& answer) override;

  const CDataStructure& Record() const { return record_; }
  const std::string& TemporaryPath() const { return temporaryPath_; }

 private:
  void Finish(const std::string& fileName);

  CDataStructure record_;
  Owner& owner_;
  std::string temporaryPath_;
  // The window of a security dialog; the loader shows none.
  platform::WindowHandle uiWindow_ = 0;
  platform::WindowHandle window_;
};

extern template class CBindStatusCallback<TransferHost>;

}  // namespace NVarnik
