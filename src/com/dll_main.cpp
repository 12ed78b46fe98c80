#include <windows.h>

#include "infra/SimpleLogger.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: the logger must not outlive its module.
    SimpleLogger::ReleaseInstance();
  }
  return TRUE;
}
