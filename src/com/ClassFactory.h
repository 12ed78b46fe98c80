// The class object of a creatable class T (any class with an interface map,
// see ComObject.h). The module caches class objects, so a class object does
// not hold the module; only LockServer and the objects it creates do.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "com/ComObject.h"

namespace NVarnik {

template <class T>
class ClassFactory : public IClassFactory {
 public:
  static const InterfaceEntry* InterfaceMap() {
    static const InterfaceEntry map[] = {Entry<ClassFactory, IClassFactory>(IID_IClassFactory), {}};
    return map;
  }

  static HRESULT Create(IClassFactory** factory) {
    return ComObject<ClassFactory, false>::Create(IID_IClassFactory,
                                                  reinterpret_cast<void**>(factory));
  }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return ComObject<T>::Create(iid, result);
  }

  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ComModule::Lock();
    } else {
      ComModule::Unlock();
    }
    return S_OK;
  }
};

}  // namespace NVarnik
