// The activation-context helper (ProgID "Varnik.DeploymentHelper"): makes
// the manifest of a deployment folder the calling thread's active
// activation context, so the privately deployed components load from
// there, and ends it again.
//
// Refusals and failures reach COM callers as a failing HRESULT with the
// text in the thread's error object (a script sees it as the error's
// description): E_ILLEGAL_METHOD_CALL for the two refusals (a call made in
// the wrong state), E_FAIL when Windows refuses the context, E_INVALIDARG
// for a path holding a zero character.
#pragma once

#include <windows.h>

#include <string>

#include "com/ComObject.h"
#include "com/ErrorInfo.h"
#include "com/TypeInfoDispatch.h"
#include "com/varnik_h.h"

class CDeploymentHelper
    : public NVarnik::TypeInfoDispatch<IDeploymentHelper2, IID_IDeploymentHelper2>,
      public NVarnik::SupportErrorInfo<CDeploymentHelper> {
 public:
  static const NVarnik::InterfaceEntry* InterfaceMap();

  CDeploymentHelper() = default;
  virtual ~CDeploymentHelper();
  CDeploymentHelper(const CDeploymentHelper&) = delete;
  CDeploymentHelper& operator=(const CDeploymentHelper&) = delete;

  STDMETHODIMP CreateActivationContext() override;
  STDMETHODIMP DestroyActivationContext() override;
  STDMETHODIMP put_DeploymentFolder(BSTR newVal) override;
  STDMETHODIMP put_DeploymentFlavor(BSTR newVal) override;
  STDMETHODIMP put_ManifestFileName(BSTR newVal) override;

 private:
  bool HasContext() const { return actCtx_ != nullptr && actCtx_ != INVALID_HANDLE_VALUE; }
  HRESULT Fail(const char* location, const std::string& text, HRESULT result);
  HRESULT StorePath(const char* location, BSTR value, const char* what, std::string& stored);

  HANDLE actCtx_ = nullptr;  // as CreateActCtxA returned it, failures included
  ULONG_PTR cookie_ = 0;     // non-zero once activated
  std::string deploymentFolder_;
  std::string deploymentFlavor_ = "AllFiles";
  std::string manifestFileName_ = "ZEL-Client.exe.manifest";
};
