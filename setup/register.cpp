// The uninstaller and driver file copies, the Run value, the Uninstall
// entry, the kernel service and the agent's first start.
#include "setup.h"
#include "footprint.h"
#include "installpaths.h"
#include "platform.h"
#include "registry.h"
#include "resource.h"
#include "text.h"

#define PATH_SIZE         STEP_PATH_SIZE
#define SERVICE_PATH_SIZE 200

// A system folder into buf, or 0 when it is unreadable or does not fit.
static int SystemFolder(char* buf, UINT size)
{
    TextZero(buf, size);
    UINT n = GetSystemDirectoryA(buf, size);
    return n > 0 && n < size;
}

static int WindowsFolder(char* buf, UINT size)
{
    TextZero(buf, size);
    UINT n = GetWindowsDirectoryA(buf, size);
    return n > 0 && n < size;
}

static void CopyTwice(const char* from, const char* to)
{
    CopyFileA(from, to, FALSE);
    CopyFileA(from, to, FALSE);
}

void CopyUninstaller()
{
    char from[PATH_SIZE];
    char system[PATH_SIZE];
    char to[PATH_SIZE];
    if (!TextJoin(from, sizeof from, SourceDir, SZ_SRC_UNINSTALLER))
        return;
    if (!SystemFolder(system, sizeof system) || !TextJoin(to, sizeof to, system, SZ_UNINSTALLER_EXE))
        return;
    CopyTwice(from, to);
}

// Windows folder + "\System32\Drivers\vorel12s.sys": the drivers folder is
// derived from the Windows folder, not from the system folder.
static int DriverFilePath(char* buf, UINT size)
{
    char windows[SERVICE_PATH_SIZE];
    return WindowsFolder(windows, size) && TextJoin(buf, size, windows, SZ_DRIVER_UNDER_WINDIR);
}

void CopyDriverFile()
{
    if (!IsNtPlatform())
        return;
    char from[PATH_SIZE];
    char to[PATH_SIZE];
    if (!TextJoin(from, sizeof from, SourceDir, SZ_SRC_DRIVER) || !DriverFilePath(to, sizeof to))
        return;
    CopyTwice(from, to);
}

static void SetString(HKEY key, const char* name, const char* data)
{
    RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)data, TextLength(data) + 1);
}

void WriteRunValue()
{
    char data[PATH_SIZE];
    if (!TextJoin(data, sizeof data, DestDir, SZ_AGENT_EXE))
        return;
    HKEY key;
    // Opened only: the Run key is never created here.
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &key) != ERROR_SUCCESS)
        return;
    SetString(key, SZ_RUN_VALUE, data);
    RegCloseKey(key);
}

void WriteUninstallEntry()
{
    char text[PATH_SIZE];
    TextZero(text, sizeof text);
    LoadStringA(g_instance, IDS_DISPLAY_NAME, text, sizeof text);
    HKEY key = OpenOrCreateKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    if (!key)
        return;
    SetString(key, SZ_DISPLAY_NAME, text);
    char system[PATH_SIZE];
    if (SystemFolder(system, sizeof system) && TextJoin(text, sizeof text, system, SZ_UNINSTALLER_EXE))
        SetString(key, SZ_UNINSTALL_STRING, text);
    RegCloseKey(key);
}

int CreateDriverService(const char* name, const char* path)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager)
        return 0;
    // An existing service keeps its configuration: the failure is not reported.
    SC_HANDLE service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, path, NULL, NULL, NULL, NULL, NULL);
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return 1;
}

void RegisterComponents()
{
    WriteRunValue();
    WriteUninstallEntry();
    if (IsNtPlatform()) {
        char path[SERVICE_PATH_SIZE];
        if (DriverFilePath(path, sizeof path))
            CreateDriverService(SZ_SERVICE, path);
    }
}

void StartAgent()
{
    char windows[PATH_SIZE];
    if (WindowsFolder(windows, sizeof windows))
        SetCurrentDirectoryA(windows);
    // Quoted: with a blank in the folder, Windows would otherwise try to run
    // the text before the blank as a program of its own.
    char command[PATH_SIZE + 2];
    if (TextCopy(command, sizeof command, "\"") && TextJoin(command + 1, sizeof command - 1, DestDir, SZ_AGENT_EXE) &&
        TextAppend(command, sizeof command, "\""))
        WinExec(command, SW_SHOWNORMAL);
}
