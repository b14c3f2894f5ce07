/* A DLL that anyone could drop beside setup under a system DLL's name
   (comctl32.dll, ole32.dll). If a loader ever runs it, it leaves
   NAME.dll.ran beside itself and refuses to load. Never part of the package. */
#include <windows.h>

BOOL WINAPI PlantedEntry(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    char path[MAX_PATH + 8];
    DWORD n;
    HANDLE f;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    lstrcatA(path, ".ran");
    f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (f != INVALID_HANDLE_VALUE)
        CloseHandle(f);
    return FALSE;
}
