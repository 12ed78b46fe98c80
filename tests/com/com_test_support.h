// What the COM tests share: the varnik.dll of this build loaded into the
// test, a COM apartment, programs of the system (regsvr32, cscript) and
// registry look-ups.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>

#include "platform/Registry.h"

// varnik.dll of this build, as this program reaches it.
std::string VarnikDllPath();
std::wstring VarnikDllPathW();

// A single-threaded apartment for the length of a test.
class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// varnik.dll loaded for one test, and its five entry points. Loading
// asserts that no earlier test left the module loaded, so each test starts
// from the module's first state (per-user registration off).
class LoadedVarnik {
 public:
  LoadedVarnik();
  ~LoadedVarnik();
  LoadedVarnik(const LoadedVarnik&) = delete;
  LoadedVarnik& operator=(const LoadedVarnik&) = delete;

  bool IsLoaded() const { return module_ != nullptr; }
  HRESULT CanUnloadNow() const;
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** result) const;
  HRESULT RegisterServer() const;
  HRESULT UnregisterServer() const;
  HRESULT Install(BOOL install, const wchar_t* commandLine) const;

  // A new object of the class through its class object.
  HRESULT Create(REFCLSID clsid, REFIID iid, void** result) const;

 private:
  void* Entry(const char* name) const;
  template <class Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(Entry(name));
  }
  HMODULE module_ = nullptr;
};

// Runs a command line (a program of the system folder, for instance) with
// its window hidden and waits up to two minutes; its exit code, or -1 when
// it could not be started or did not end.
long RunAndWait(const std::string& commandLine);

// regsvr32 silent, with the switches, on this build's varnik.dll.
std::string Regsvr32(const std::string& switches);

bool KeyExists(platform::RegistryRoot root, const std::string& path);
// The default value of a key, or "<missing>".
std::string DefaultValue(platform::RegistryRoot root, const std::string& path);
std::string NamedValue(platform::RegistryRoot root, const std::string& path,
                       const std::string& name);

// Wine's ntdll carries wine_get_version.
bool RunningOnWine();

// The description in the thread's error object; empty when there is none.
std::string TakeErrorDescription();

// Text of a GUID as the registry spells it, "{...}".
std::string GuidText(REFGUID guid);
