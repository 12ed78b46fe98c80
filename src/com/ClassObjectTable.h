// The classes DllGetClassObject serves. Each class object is created once,
// on first request and under the module's creation lock, and kept until
// the module is unloaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <vector>

namespace NVarnik {

struct ClassEntry {
  const CLSID* clsid;
  // Null for a class that is registered but has no class object.
  HRESULT (*createFactory)(IClassFactory** factory);
};

class ClassObjectTable {
 public:
  explicit ClassObjectTable(std::vector<ClassEntry> entries);
  ~ClassObjectTable();
  ClassObjectTable(const ClassObjectTable&) = delete;
  ClassObjectTable& operator=(const ClassObjectTable&) = delete;

  // DllGetClassObject: CLASS_E_CLASSNOTAVAILABLE for a class the table
  // does not serve, else the class object's answer to iid.
  HRESULT Get(REFCLSID clsid, REFIID iid, void** result);

  // Drops the kept class objects.
  void Release();

 private:
  struct Slot {
    ClassEntry entry;
    IClassFactory* factory;
  };
  std::vector<Slot> slots_;
};

}  // namespace NVarnik
