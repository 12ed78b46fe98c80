// What the module as a whole keeps for its COM objects: the lock count that
// DllCanUnloadNow answers from, the choice of per-user registration, the
// module's own path and its type library.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace NVarnik {

class ComModule {
 public:
  // The module this code is linked into (varnik.dll, or a test program).
  static HINSTANCE Instance();
  // Its full path; empty when it cannot be had.
  static std::wstring Path();

  // Every live object and every LockServer(TRUE) holds the module.
  static void Lock();
  static void Unlock();
  static LONG LockCount();

  // Once switched on, registration goes to the current user's classes for
  // the rest of the process.
  static void SetPerUserRegistration(bool perUser);
  static bool PerUserRegistration();

  // The type library embedded as resource 1, loaded once. The caller owns
  // the reference it receives.
  static HRESULT GetTypeLib(ITypeLib** typeLib);
  // The description of one interface of that library.
  static HRESULT GetTypeInfo(REFGUID guid, ITypeInfo** typeInfo);

  // Serialises the one-time creation of shared objects (class factories).
  static CRITICAL_SECTION& CreationLock();

  // Drops the cached type library; called when the module is unloaded.
  static void ReleaseCaches();
};

// Holds the module for the lifetime of the object that contains it.
class ModuleLock {
 public:
  ModuleLock() { ComModule::Lock(); }
  ~ModuleLock() { ComModule::Unlock(); }
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace NVarnik
