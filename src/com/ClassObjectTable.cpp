#include "com/ClassObjectTable.h"

#include "com/ComModule.h"

namespace NVarnik {

namespace {

class CreationGuard {
 public:
  CreationGuard() { EnterCriticalSection(&ComModule::CreationLock()); }
  ~CreationGuard() { LeaveCriticalSection(&ComModule::CreationLock()); }
  CreationGuard(const CreationGuard&) = delete;
  CreationGuard& operator=(const CreationGuard&) = delete;
};

}  // namespace

ClassObjectTable::ClassObjectTable(std::vector<ClassEntry> entries) {
  for (const ClassEntry& entry : entries) slots_.push_back(Slot{entry, nullptr});
}

// At unload the creation lock may already be gone, and no other thread can
// be asking for a class object any more.
ClassObjectTable::~ClassObjectTable() {
  for (Slot& slot : slots_) {
    if (slot.factory) slot.factory->Release();
  }
}

HRESULT ClassObjectTable::Get(REFCLSID clsid, REFIID iid, void** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  for (Slot& slot : slots_) {
    if (!IsEqualCLSID(*slot.entry.clsid, clsid)) continue;
    if (!slot.entry.createFactory) break;
    IClassFactory* factory = nullptr;
    {
      CreationGuard guard;
      if (!slot.factory) {
        const HRESULT created = slot.entry.createFactory(&slot.factory);
        if (FAILED(created)) return created;
      }
      factory = slot.factory;
      factory->AddRef();
    }
    const HRESULT answer = factory->QueryInterface(iid, result);
    factory->Release();
    return answer;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

void ClassObjectTable::Release() {
  CreationGuard guard;
  for (Slot& slot : slots_) {
    if (slot.factory) {
      slot.factory->Release();
      slot.factory = nullptr;
    }
  }
}

}  // namespace NVarnik
