#include "com/ErrorInfo.h"

#include "com/ComText.h"

namespace NVarnik {

HRESULT ReportError(const std::string& description, const wchar_t* source, REFIID iid,
                    HRESULT result) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) return result;
  Bstr text(BstrFromAnsi(description));
  create->SetGUID(iid);
  create->SetSource(const_cast<LPOLESTR>(source));
  if (text.Get()) create->SetDescription(text.Get());
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
  return result;
}

}  // namespace NVarnik
