#include <windows.h>

#include "com/ModuleClasses.h"
#include "infra/SimpleLogger.h"
#include "platform/BrowserHost.h"
#include "platform/UnhandledExceptions.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary (at process exit nothing needs freeing): the
    // kept class objects, the type library, the logger, the keyboard hook
    // and the fault handler a control installed must not outlive their
    // module.
    platform::RemoveKeyboardHook();
    platform::RestoreUnhandledExceptionFilter();
    NVarnik::ReleaseModuleObjects();
    SimpleLogger::ReleaseInstance();
  }
  return TRUE;
}
