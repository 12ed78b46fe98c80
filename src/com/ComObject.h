// IUnknown written once for every object of the module. A class lists the
// interfaces it answers in an interface map; ComObject<T> adds the reference
// count and QueryInterface on top of it:
//
//   class CThing : public IThing2, public ISupportErrorInfo {
//    public:
//     static const NVarnik::InterfaceEntry* InterfaceMap() {
//       static const NVarnik::InterfaceEntry map[] = {
//           NVarnik::Entry<CThing, IThing2>(IID_IThing2),
//           NVarnik::Entry<CThing, IThing2>(IID_IThing),
//           NVarnik::Entry<CThing, ISupportErrorInfo>(IID_ISupportErrorInfo),
//           {}};
//       return map;
//     }
//   };
//   IThing2* thing = nullptr;
//   NVarnik::ComObject<CThing>::Create(IID_IThing2, reinterpret_cast<void**>(&thing));
//
// The first entry also serves IUnknown, so the object's identity is stable.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <new>
#include <type_traits>
#include <utility>

#include "com/ComModule.h"

namespace NVarnik {

struct InterfaceEntry {
  const IID* iid;
  IUnknown* (*cast)(void* object);
};

template <class Object, class Interface>
IUnknown* CastTo(void* object) {
  return static_cast<Interface*>(static_cast<Object*>(object));
}

template <class Object, class Interface>
InterfaceEntry Entry(const IID& iid) {
  return InterfaceEntry{&iid, &CastTo<Object, Interface>};
}

// Finds iid in the map of object; the answer is AddRef'ed by the caller.
IUnknown* FindInterface(const InterfaceEntry* map, void* object, REFIID iid);

// The reference count is interlocked: an object may be handed between
// threads (the helper class is registered for both threading models).
// holdsModule: whether a live object keeps DllCanUnloadNow from answering
// S_OK; the class objects the module caches do not.
template <class T, bool holdsModule = true>
class ComObject final : public T {
 public:
  template <class... Args>
  explicit ComObject(Args&&... args) : T(std::forward<Args>(args)...) {}

  // Creates the object and queries it for iid. Constructors may throw
  // (std::string allocations); nothing escapes to the COM caller.
  template <class... Args>
  static HRESULT Create(REFIID iid, void** result, Args&&... args) {
    if (!result) return E_POINTER;
    *result = nullptr;
    ComObject* object = nullptr;
    try {
      object = new ComObject(std::forward<Args>(args)...);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
    object->AddRef();
    const HRESULT hr = object->QueryInterface(iid, result);
    object->Release();
    return hr;
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** result) override {
    if (!result) return E_POINTER;
    IUnknown* found = FindInterface(T::InterfaceMap(), static_cast<T*>(this), iid);
    *result = found;
    if (!found) return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
  }

  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }

  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 private:
  ~ComObject() = default;

  struct NoLock {};
  LONG references_ = 0;
  std::conditional_t<holdsModule, ModuleLock, NoLock> moduleLock_;
};

}  // namespace NVarnik
