// IDispatch answered from the module's type library: names, dispids,
// argument conversion and the call through the interface's vtable all come
// from the description of Interface, so the dispatch and the vtable can
// never disagree. Used for every dual interface of the module:
//
//   class CThing : public NVarnik::TypeInfoDispatch<IThing2, IID_IThing2> { ... };
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace NVarnik {

// The type description of one interface, loaded on first use.
class TypeInfoHolder {
 public:
  explicit TypeInfoHolder(const IID& iid) : iid_(iid) {}
  ~TypeInfoHolder();
  TypeInfoHolder(const TypeInfoHolder&) = delete;
  TypeInfoHolder& operator=(const TypeInfoHolder&) = delete;

  HRESULT GetTypeInfo(UINT index, ITypeInfo** typeInfo);
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);
  // object: the interface pointer whose vtable the description belongs to.
  HRESULT Invoke(void* object, DISPID id, REFIID iid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError);

 private:
  HRESULT Loaded(ITypeInfo*& typeInfo);

  const IID& iid_;
  ITypeInfo* typeInfo_ = nullptr;
};

template <class Interface, const IID& interfaceId>
class TypeInfoDispatch : public Interface {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
    return typeInfo_.GetTypeInfo(index, typeInfo);
  }

  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                             DISPID* ids) override {
    return typeInfo_.GetIDsOfNames(iid, names, count, ids);
  }

  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    return typeInfo_.Invoke(static_cast<Interface*>(this), id, iid, flags, params, result,
                            exception, argumentError);
  }

 private:
  TypeInfoHolder typeInfo_{interfaceId};
};

}  // namespace NVarnik
