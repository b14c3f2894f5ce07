#include "uninstall_harness.h"

IAT_SLOT(SendMessageTimeoutA);
IAT_SLOT(RegDeleteValueA);
IAT_SLOT(RegDeleteKeyA);
IAT_SLOT(RegFlushKey);
IAT_SLOT(DeleteFileA);
IAT_SLOT(RemoveDirectoryA);
IAT_SLOT(OpenSCManagerA);
IAT_SLOT(LockServiceDatabase);
IAT_SLOT(DeleteService);

static const char* RootName(HKEY k)
{
    return k == HKEY_LOCAL_MACHINE ? "HKLM" : k == HKEY_CLASSES_ROOT ? "HKCR" : k == HKEY_CURRENT_USER ? "HKCU" : "key";
}

#define PASS(fn, ret, params, args, fmt, ...)                                       \
    static decltype(&fn) real_##fn;                                                 \
    static ret WINAPI rec_##fn params                                               \
    {                                                                               \
        Record(#fn "(" fmt ")", __VA_ARGS__);                                       \
        return real_##fn args;                                                      \
    }

PASS(SendMessageTimeoutA, LRESULT, (HWND h, UINT m, WPARAM w, LPARAM l, UINT f, UINT t, PDWORD_PTR r),
     (h, m, w, l, f, t, r), "msg=%u, flags=0x%x, timeout=%u", m, f, t)
PASS(RegDeleteValueA, LONG, (HKEY k, LPCSTR n), (k, n), "%s", n)
PASS(RegDeleteKeyA, LONG, (HKEY k, LPCSTR p), (k, p), "%s\\%s", RootName(k), p)
PASS(RegFlushKey, LONG, (HKEY k), (k), "%s", RootName(k))
PASS(DeleteFileA, BOOL, (LPCSTR p), (p), "%s", p)
PASS(RemoveDirectoryA, BOOL, (LPCSTR p), (p), "%s", p)
PASS(OpenSCManagerA, SC_HANDLE, (LPCSTR a, LPCSTR b, DWORD c), (a, b, c), "0x%lx", c)
PASS(LockServiceDatabase, SC_LOCK, (SC_HANDLE m), (m), "%s", "manager")
PASS(DeleteService, BOOL, (SC_HANDLE s), (s), "%s", "service")

#define ARM(fn) IatHook<decltype(&fn)> h_##fn{ &iat_slot_##fn, rec_##fn };
struct RemovalRecorder::Hooks {
    ARM(SendMessageTimeoutA)
    ARM(RegDeleteValueA)
    ARM(RegDeleteKeyA)
    ARM(RegFlushKey)
    ARM(DeleteFileA)
    ARM(RemoveDirectoryA)
    ARM(OpenSCManagerA)
    ARM(LockServiceDatabase)
    ARM(DeleteService)
};

RemovalRecorder::RemovalRecorder() : hooks(new Hooks)
{
    real_SendMessageTimeoutA = hooks->h_SendMessageTimeoutA.Original();
    real_RegDeleteValueA = hooks->h_RegDeleteValueA.Original();
    real_RegDeleteKeyA = hooks->h_RegDeleteKeyA.Original();
    real_RegFlushKey = hooks->h_RegFlushKey.Original();
    real_DeleteFileA = hooks->h_DeleteFileA.Original();
    real_RemoveDirectoryA = hooks->h_RemoveDirectoryA.Original();
    real_OpenSCManagerA = hooks->h_OpenSCManagerA.Original();
    real_LockServiceDatabase = hooks->h_LockServiceDatabase.Original();
    real_DeleteService = hooks->h_DeleteService.Original();
}

RemovalRecorder::~RemovalRecorder()
{
    delete hooks;
}

void SetValue(HKEY root, const std::string& key, const char* name, const std::string& data)
{
    HKEY k;
    if (RegCreateKeyA(root, key.c_str(), &k) == ERROR_SUCCESS) {
        RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)data.c_str(), (DWORD)data.size() + 1);
        RegCloseKey(k);
    }
}

// What an installation leaves in the prefix. Removed before a case as well as
// after it: a case that crashed or timed out leaves its footprint behind.
static void RemoveInstalledFootprint(const std::string& menu)
{
    SetCurrentDirectoryA("C:\\");
    DeleteTree(menu);
    DeleteTree(SystemDir() + "\\VOREL12");
    DeleteFileA((SystemDir() + "\\vorel12u.exe").c_str());
    DeleteFileA((SystemDir() + "\\Drivers\\vorel12s.sys").c_str());
    HKEY run;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, SZ_RUN_VALUE);
        RegCloseKey(run);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, SZ_CLSID_KEY);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Enum");
    DeleteDriverServiceIfPresent();
}

Installed::Installed(bool withService)
{
    menu = ReadRegString(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, SZ_PROGRAMS_VALUE) + "\\Tandrel";
    RemoveInstalledFootprint(menu);
    dest = root.Path() + "Tandrel\\";
    CreateDirectoryA(dest.c_str(), NULL);
    for (const char* f : { "vorel12a.exe", "vorel12.htm", "vorel12v.vxd" })
        WriteFileBytes(dest + f, 100);
    SetRunValue(dest + "vorel12a.exe");
    SetValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_DISPLAY_NAME, "Tandrel (V2.01)");
    SetValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_UNINSTALL_STRING, SystemDir() + "\\vorel12u.exe");
    CreateDirectoryA(menu.c_str(), NULL);
    for (const char* f : { "Tandrel About.lnk", "Tandrel Help.lnk", "Uninstall Tandrel.lnk" })
        WriteFileBytes(menu + "\\" + f, 10);
    WriteFileBytes(SystemDir() + "\\vorel12u.exe", 10);
    WriteFileBytes(SystemDir() + "\\Drivers\\vorel12s.sys", 10);
    vorel12 = SystemDir() + "\\VOREL12";
    CreateDirectoryA(vorel12.c_str(), NULL);
    for (const char* f : { "tandrel.htm", "vorel12s.dll", "vorel12a.exe" })
        WriteFileBytes(vorel12 + "\\" + f, 10);
    SetValue(HKEY_CLASSES_ROOT, SZ_CLSID_KEY, "", "keyboard sheet");
    SetValue(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY, "", "handler");
    if (withService) {
        SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE s = CreateServiceA(scm, SZ_SERVICE, SZ_SERVICE, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                     (WindowsDir() + "\\System32\\Drivers\\vorel12s.sys").c_str(), NULL, NULL, NULL,
                                     NULL, NULL);
        if (s)
            CloseServiceHandle(s);
        CloseServiceHandle(scm);
    }
    g_instance = GetModuleHandleA(NULL);
}

void Installed::SetRunValue(const std::string& data)
{
    SetValue(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE, data);
}

Installed::~Installed()
{
    RemoveInstalledFootprint(menu);
}

int RunUninstaller()
{
    UnregisterClassA(SZ_UNINSTALL_CLASS, GetModuleHandleA(NULL));
    return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR) "", SW_SHOWNORMAL);
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY k;
    if (RegOpenKeyA(root, path.c_str(), &k) != ERROR_SUCCESS)
        return false;
    RegCloseKey(k);
    return true;
}


