/* An in-process COM server for the registration tests. DllRegisterServer
   records the library under the user's classes as FIXTURE_CLSID and answers
   FIXTURE_RESULT; the type library, when the build embeds one, comes from
   com_fixture.idl. */
#include <windows.h>

static HMODULE self;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

__declspec(dllexport) HRESULT __stdcall DllRegisterServer(void) {
  char path[MAX_PATH] = {0};
  HKEY key;
  GetModuleFileNameA(self, path, MAX_PATH);
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes\\CLSID\\" FIXTURE_CLSID
                      "\\InprocServer32", 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
    return E_UNEXPECTED;
  RegSetValueExA(key, NULL, 0, REG_SZ, (const BYTE*)path, (DWORD)lstrlenA(path) + 1);
  RegCloseKey(key);
  return FIXTURE_RESULT;
}
