// The callback of a plain transfer (descriptors, the server's script and
// version replies): it keeps the binding while the transfer runs, asks for
// the newest copy, and accepts the certificate problems of a server whose
// certificate is out of date, for another name or from an unknown
// authority.
#pragma once

#include <memory>

#include "platform/UrlMoniker.h"

class CSimpleBindStatusCallback : public platform::BindStatusCallback {
 public:
  platform::HResult OnStartBinding(const std::shared_ptr<platform::Binding>& binding) override;
  platform::HResult GetPriority(int32_t* priority) override;
  platform::HResult OnLowResource() override;
  platform::HResult OnProgress(uint32_t progress, uint32_t progressMax, uint32_t statusCode,
                               const std::string& statusText) override;
  platform::HResult OnStopBinding(platform::HResult result, const std::string& error) override;
  platform::HResult GetBindInfo(uint32_t* bindFlags, platform::BindInfo* info) override;
  platform::HResult OnDataAvailable() override;
  platform::HResult OnObjectAvailable() override;
  platform::HResult GetWindow(platform::WindowReason reason, platform::WindowHandle* window) override;
  platform::HResult OnSecurityProblem(uint32_t problem) override;
  bool OffersAuthentication() const override { return false; }
  platform::HResult Authenticate(platform::AuthenticationAnswer& answer) override;

  bool HoldsBinding() const { return binding_ != nullptr; }

  // Asynchronous, asynchronous storage, newest version, no cache write,
  // pull data, ignore security problems.
  static constexpr uint32_t kBindFlags = 0x1B3;

  // Answers GetBindInfo; false when the arguments are unusable.
  static bool FillBindInfo(uint32_t* bindFlags, platform::BindInfo* info);

 private:
  std::shared_ptr<platform::Binding> binding_;
};
