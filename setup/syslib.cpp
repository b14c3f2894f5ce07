// System DLLs that are not KnownDLLs on every NT version (comctl32, ole32).
// The loader would look for them in setup's own folder first, which is
// often a downloads folder that anyone can write to; so they are loaded by
// their full path in the system folder and called through GetProcAddress.
#include "setup.h"
#include "folders.h"
#include "text.h"

#define SYSTEM_PATH_SIZE 260

typedef void(WINAPI* InitCommonControlsFn)(void);

HMODULE LoadSystemLibrary(const char* name)
{
    char path[SYSTEM_PATH_SIZE];
    if (!FolderWithSuffix(GetSystemDirectoryA, path, sizeof path, "") || !TextJoin(path, sizeof path, path, name))
        return NULL;
    // The DLL's own imports are then looked for beside it, not beside setup.
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* SystemProc(HMODULE module, const char* name)
{
    return module ? (void*)GetProcAddress(module, name) : NULL;
}

typedef HRESULT(WINAPI* CoInitializeFn)(LPVOID);
typedef void(WINAPI* CoUninitializeFn)(void);

CoCreateInstanceFn g_coCreateInstance;
static CoUninitializeFn g_coUninitialize;

HRESULT EnterOle()
{
    HMODULE ole = LoadSystemLibrary("ole32.dll");
    CoInitializeFn coInitialize = (CoInitializeFn)SystemProc(ole, "CoInitialize");
    g_coUninitialize = (CoUninitializeFn)SystemProc(ole, "CoUninitialize");
    g_coCreateInstance = (CoCreateInstanceFn)SystemProc(ole, "CoCreateInstance");
    return coInitialize && g_coUninitialize && g_coCreateInstance ? coInitialize(NULL) : E_NOINTERFACE;
}

void LeaveOle(HRESULT entered)
{
    if (SUCCEEDED(entered))
        g_coUninitialize();
}

void LoadDialogLibraries()
{
    // Both stay loaded. comctl32 holds the progress bar's window class. A
    // system DLL that later asks for either by name alone gets this copy,
    // not one beside setup: Wine's imm32 asks for ole32 once the dialog is
    // active.
    InitCommonControlsFn init =
        (InitCommonControlsFn)SystemProc(LoadSystemLibrary("comctl32.dll"), "InitCommonControls");
    if (init)
        init();
    LoadSystemLibrary("ole32.dll");
}
