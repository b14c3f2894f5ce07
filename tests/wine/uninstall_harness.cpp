#include "uninstall_harness.h"

void SetValue(HKEY root, const std::string& key, const char* name, const std::string& data)
{
    HKEY k;
    if (RegCreateKeyA(root, key.c_str(), &k) == ERROR_SUCCESS) {
        RegSetValueExA(k, name, 0, REG_SZ, (const BYTE*)data.c_str(), (DWORD)data.size() + 1);
        RegCloseKey(k);
    }
}

Installed::Installed(bool withService)
{
    menu = LinkFolder();
    RemoveFootprint();
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

int RunUninstaller(const char* cmdline)
{
    UnregisterClassA(SZ_UNINSTALL_CLASS, GetModuleHandleA(NULL));
    Calls().clear();
    return WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)cmdline, SW_SHOWNORMAL);
}
