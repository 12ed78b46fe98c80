#include "transfer/CSimpleBindStatusCallback.h"

#include "platform/Internet.h"

using platform::HResult;

bool CSimpleBindStatusCallback::FillBindInfo(uint32_t* bindFlags, platform::BindInfo* info) {
  if (!bindFlags || !info || info->size == 0) return false;
  *bindFlags = kBindFlags;
  info->clearAllButSize = true;
  info->bindVerb = 0;  // GET
  return true;
}

HResult CSimpleBindStatusCallback::OnStartBinding(const std::shared_ptr<platform::Binding>& binding) {
  binding_ = binding;
  return platform::kSOk;
}

HResult CSimpleBindStatusCallback::GetPriority(int32_t* priority) {
  if (priority) *priority = 0;
  return platform::kSOk;
}

HResult CSimpleBindStatusCallback::OnLowResource() { return platform::kSOk; }

HResult CSimpleBindStatusCallback::OnProgress(uint32_t, uint32_t, uint32_t, const std::string&) {
  return platform::kSOk;
}

HResult CSimpleBindStatusCallback::OnStopBinding(HResult result, const std::string&) {
  binding_.reset();
  return result;
}

HResult CSimpleBindStatusCallback::GetBindInfo(uint32_t* bindFlags, platform::BindInfo* info) {
  if (FillBindInfo(bindFlags, info)) return platform::kSOk;
  platform::ShowMessageBox("GetBindInfo E_INVALIDARG", "");
  return platform::kEInvalidArg;
}

HResult CSimpleBindStatusCallback::OnDataAvailable() { return platform::kENotImpl; }

HResult CSimpleBindStatusCallback::OnObjectAvailable() { return platform::kENotImpl; }

HResult CSimpleBindStatusCallback::GetWindow(platform::WindowReason, platform::WindowHandle* window) {
  if (!window) return platform::kEPointer;
  *window = platform::TopWindow();
  return platform::kSOk;
}

HResult CSimpleBindStatusCallback::OnSecurityProblem(uint32_t problem) {
  switch (static_cast<platform::Win32Error>(problem)) {
    case platform::kErrorInternetSecCertDateInvalid:
    case platform::kErrorInternetSecCertCnInvalid:
    case platform::kErrorInternetInvalidCa:
      return platform::kSOk;
    default:
      return platform::kSFalse;
  }
}

HResult CSimpleBindStatusCallback::Authenticate(platform::AuthenticationAnswer&) {
  return platform::kENotImpl;
}
