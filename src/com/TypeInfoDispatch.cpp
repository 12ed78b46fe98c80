#include "com/TypeInfoDispatch.h"

#include "com/ComModule.h"

namespace NVarnik {

TypeInfoHolder::~TypeInfoHolder() {
  if (typeInfo_) typeInfo_->Release();
}

HRESULT TypeInfoHolder::Loaded(ITypeInfo*& typeInfo) {
  typeInfo = static_cast<ITypeInfo*>(InterlockedCompareExchangePointer(
      reinterpret_cast<void**>(&typeInfo_), nullptr, nullptr));
  if (typeInfo) return S_OK;
  ITypeInfo* loaded = nullptr;
  const HRESULT result = ComModule::GetTypeInfo(iid_, &loaded);
  if (FAILED(result)) return result;
  // Two threads may load it at once; the first one kept wins.
  void* previous = InterlockedCompareExchangePointer(reinterpret_cast<void**>(&typeInfo_), loaded,
                                                     nullptr);
  if (previous) {
    loaded->Release();
    typeInfo = static_cast<ITypeInfo*>(previous);
  } else {
    typeInfo = loaded;
  }
  return S_OK;
}

HRESULT TypeInfoHolder::GetTypeInfo(UINT index, ITypeInfo** typeInfo) {
  if (!typeInfo) return E_POINTER;
  *typeInfo = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* info = nullptr;
  const HRESULT result = Loaded(info);
  if (FAILED(result)) return result;
  info->AddRef();
  *typeInfo = info;
  return S_OK;
}

HRESULT TypeInfoHolder::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (count == 0) return S_OK;
  if (!names || !ids) return E_POINTER;
  ITypeInfo* info = nullptr;
  const HRESULT result = Loaded(info);
  if (FAILED(result)) return result;
  return DispGetIDsOfNames(info, names, count, ids);
}

HRESULT TypeInfoHolder::Invoke(void* object, DISPID id, REFIID iid, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                               UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  ITypeInfo* info = nullptr;
  const HRESULT loaded = Loaded(info);
  if (FAILED(loaded)) return loaded;
  return info->Invoke(object, id, flags, params, result, exception, argumentError);
}

}  // namespace NVarnik
