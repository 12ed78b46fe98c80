#include "com/CDeploymentHelper.h"

#include "com/ComText.h"
#include "com/Guarded.h"
#include "infra/SimpleLogger.h"
#include "infra/StringHelpers.h"

namespace {

// "A method was called at an unexpected time"; not in the MinGW headers.
constexpr HRESULT kIllegalMethodCall = static_cast<HRESULT>(0x8000000EL);
constexpr wchar_t kSource[] = L"Varnik.DeploymentHelper.1";

#if !defined(_WIN64)
static_assert(sizeof(ACTCTXA) == 32, "the request as the 32-bit control makes it");
#endif

constexpr char kCreateLocation[] = "CDeploymentHelper::CreateActivationContext";
constexpr char kDestroyLocation[] = "CDeploymentHelper::DestroyActivationContext";

}  // namespace

const NVarnik::InterfaceEntry* CDeploymentHelper::InterfaceMap() {
  using NVarnik::Entry;
  static const NVarnik::InterfaceEntry map[] = {
      Entry<CDeploymentHelper, IDeploymentHelper2>(IID_IDeploymentHelper2),
      Entry<CDeploymentHelper, IDeploymentHelper2>(IID_IDeploymentHelper),
      Entry<CDeploymentHelper, IDeploymentHelper2>(IID_IDispatch),
      Entry<CDeploymentHelper, ISupportErrorInfo>(IID_ISupportErrorInfo),
      {}};
  return map;
}

CDeploymentHelper::~CDeploymentHelper() {
  if (!HasContext()) return;
  // An activation holds a reference of its own, so dropping ours cannot
  // pull the context from under a thread that still has it active.
  if (cookie_ != 0) {
    SimpleLogger::GetInstance()->Warning(
        "CDeploymentHelper::~CDeploymentHelper",
        "Released while its activation context is still active; the context is left to its thread");
  }
  ReleaseActCtx(actCtx_);
}

HRESULT CDeploymentHelper::Fail(const char* location, const std::string& text, HRESULT result) {
  SimpleLogger::GetInstance()->Error(location, text);
  return NVarnik::ReportError(text, kSource, IID_IDeploymentHelper2, result);
}

STDMETHODIMP CDeploymentHelper::CreateActivationContext() {
  return NVarnik::Guarded(kCreateLocation, [this] {
    if (actCtx_ != nullptr) {
      return Fail(kCreateLocation, "Cannot create an Activation Context, it is already created",
                  kIllegalMethodCall);
    }
    if (deploymentFolder_.empty()) {
      return Fail(kCreateLocation, "Must set Deployment Folder before creating activation context",
                  kIllegalMethodCall);
    }
    const std::string manifest = JoinPath(deploymentFolder_, manifestFileName_);
    ACTCTXA request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
    request.lpSource = manifest.c_str();
    request.lpAssemblyDirectory = deploymentFolder_.c_str();
    // The handle is kept even when it is INVALID_HANDLE_VALUE: a failed
    // attempt must be destroyed before the next one.
    actCtx_ = CreateActCtxA(&request);
    cookie_ = 0;
    if (!HasContext()) {
      const DWORD error = GetLastError();
      return Fail(kCreateLocation,
                  Format("CreateActCtxA failed for '%s': error %lu", manifest.c_str(), error),
                  E_FAIL);
    }
    ULONG_PTR cookie = 0;
    if (!ActivateActCtx(actCtx_, &cookie)) {
      const DWORD error = GetLastError();
      return Fail(kCreateLocation,
                  Format("ActivateActCtx failed for '%s': error %lu", manifest.c_str(), error),
                  E_FAIL);
    }
    cookie_ = cookie;
    SimpleLogger::GetInstance()->Info(kCreateLocation,
                                      "Activation context created from " + manifest);
    return S_OK;
  });
}

STDMETHODIMP CDeploymentHelper::DestroyActivationContext() {
  return NVarnik::Guarded(kDestroyLocation, [this] {
    HANDLE current = nullptr;
    if (!GetCurrentActCtx(&current)) current = nullptr;
    HRESULT result = E_FAIL;
    std::string failure;
    if (!HasContext()) {
      failure = "There is no activation context to destroy";
    } else if (cookie_ == 0) {
      failure = "The activation context was never activated";
    } else if (current != actCtx_) {
      failure = "The activation context is not the thread's innermost one; it stays active";
    } else if (!DeactivateActCtx(0, cookie_)) {
      failure = Format("DeactivateActCtx failed: error %lu", GetLastError());
    } else {
      result = S_OK;
    }
    // Every reference is dropped and the helper forgets the context, whatever
    // the outcome; an activation left on the thread holds its own reference.
    if (HasContext()) ReleaseActCtx(actCtx_);
    if (current) ReleaseActCtx(current);
    actCtx_ = nullptr;
    cookie_ = 0;
    if (FAILED(result)) return Fail(kDestroyLocation, failure, result);
    SimpleLogger::GetInstance()->Info(kDestroyLocation, "Activation context destroyed");
    return S_OK;
  });
}

HRESULT CDeploymentHelper::StorePath(const char* location, BSTR value, const char* what,
                                     std::string& stored) {
  std::string text = NVarnik::AnsiFromBstr(value);
  if (text.find('\0') != std::string::npos) {
    return Fail(location, Format("The %s must not contain a zero character", what),
                E_INVALIDARG);
  }
  SimpleLogger::GetInstance()->Info(location, "Property set to: " + text);
  stored = std::move(text);
  return S_OK;
}

STDMETHODIMP CDeploymentHelper::put_DeploymentFolder(BSTR newVal) {
  constexpr char kLocation[] = "CDeploymentHelper::put_DeploymentFolder";
  return NVarnik::Guarded(kLocation, [&] {
    return StorePath(kLocation, newVal, "deployment folder", deploymentFolder_);
  });
}

STDMETHODIMP CDeploymentHelper::put_DeploymentFlavor(BSTR newVal) {
  constexpr char kLocation[] = "CDeploymentHelper::put_DeploymentFlavor";
  return NVarnik::Guarded(kLocation, [&] {
    deploymentFlavor_ = NVarnik::AnsiFromBstr(newVal);
    SimpleLogger::GetInstance()->Info(kLocation, "Property set to: " + deploymentFlavor_);
    return S_OK;
  });
}

STDMETHODIMP CDeploymentHelper::put_ManifestFileName(BSTR newVal) {
  constexpr char kLocation[] = "CDeploymentHelper::put_ManifestFileName";
  return NVarnik::Guarded(kLocation, [&] {
    return StorePath(kLocation, newVal, "manifest file name", manifestFileName_);
  });
}
