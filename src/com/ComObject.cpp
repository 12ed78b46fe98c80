#include "com/ComObject.h"

namespace NVarnik {

IUnknown* FindInterface(const InterfaceEntry* map, void* object, REFIID iid) {
  if (!map || !map[0].iid) return nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) return map[0].cast(object);
  for (const InterfaceEntry* entry = map; entry->iid; ++entry) {
    if (IsEqualIID(iid, *entry->iid)) return entry->cast(object);
  }
  return nullptr;
}

}  // namespace NVarnik
