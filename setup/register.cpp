// The uninstaller and driver file copies, the Run value, the Uninstall
// entry and the kernel service.
#include "setup.h"
#include "folders.h"
#include "footprint.h"
#include "installpaths.h"
#include "log.h"
#include "platform.h"
#include "registry.h"
#include "resource.h"
#include "restartfile.h"
#include "text.h"

#define PATH_SIZE         STEP_PATH_SIZE
#define SERVICE_PATH_SIZE 200

static int UninstallerPaths(char* from, char* to)
{
    return (TextJoin(from, PATH_SIZE, g_sourceDir, SZ_SRC_UNINSTALLER) &&
            FolderWithSuffix(GetSystemDirectoryA, to, PATH_SIZE, "") && TextJoin(to, PATH_SIZE, to, SZ_UNINSTALLER_EXE)) ||
           LogFailure("does not fit:", SZ_UNINSTALLER_EXE);
}

int CopyUninstaller(int placed)
{
    char from[PATH_SIZE];
    char to[PATH_SIZE];
    // Placed first by a first install, so that the entry has it at once.
    if (placed)
        return 1;
    return UninstallerPaths(from, to) && StageFile(from, to, NULL);
}

int PlaceUninstallerFirst(int* placed)
{
    char from[PATH_SIZE];
    char to[PATH_SIZE];
    *placed = 0;
    // A kept copy put back is the earlier install's uninstaller.
    if (!UninstallerPaths(from, to) || !RestoreKept(to))
        return 0;
    if (GetFileAttributesA(to) != INVALID_FILE_ATTRIBUTES)
        return 1;
    ResetPlacement();
    if (!StageFile(from, to, NULL) || !CommitPlacement()) {
        DiscardPlacement();
        return 0;
    }
    *placed = 1;
    return 1;
}

// Windows folder + "\System32\Drivers\vorel12s.sys": the drivers folder is
// derived from the Windows folder, not from the system folder.
static int DriverFilePath(char* buf, UINT size)
{
    return FolderWithSuffix(GetWindowsDirectoryA, buf, size, "") && TextJoin(buf, size, buf, SZ_DRIVER_UNDER_WINDIR);
}

int CopyDriverFile()
{
    if (!IsNtPlatform())
        return 1;
    char from[PATH_SIZE];
    char to[PATH_SIZE];
    if (!TextJoin(from, sizeof from, g_sourceDir, SZ_SRC_DRIVER) || !DriverFilePath(to, sizeof to))
        return LogFailure("does not fit:", SZ_SRC_DRIVER);
    return StageFile(from, to, NULL);
}

// A value written, logged with its text (a number without).
static int SetValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size, const char* text)
{
    return LogResult(RegSetValueExA(key, name, 0, type, (const BYTE*)data, size), "RegSetValueExA", name, text);
}

int SetString(HKEY key, const char* name, const char* data)
{
    return SetValue(key, name, REG_SZ, data, TextLength(data) + 1, data);
}

static int SetNumber(HKEY key, const char* name, DWORD data)
{
    return SetValue(key, name, REG_DWORD, &data, sizeof data, NULL);
}

// folder and name joined in quotes, so that Windows cannot take the text before a
// blank in the folder for a program of its own.
int QuotedPath(char* buf, unsigned cap, const char* folder, const char* name)
{
    return TextCopy(buf, cap, "\"") && TextJoin(buf + 1, cap - 1, folder, name) && TextAppend(buf, cap, "\"");
}

int WriteRunValue()
{
    char data[PATH_SIZE];
    if (!QuotedPath(data, sizeof data, g_destDir, SZ_AGENT_EXE))
        return 0;
    HKEY key;
    // Opened only: the Run key is never created here.
    if (!LogResult(RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &key), "RegOpenKeyA", SZ_RUN_KEY, NULL))
        return 0;
    int written = SetString(key, SZ_RUN_VALUE, data);
    RegCloseKey(key);
    return written;
}

int WriteUninstallEntry()
{
    char text[PATH_SIZE];
    TextZero(text, sizeof text);
    LoadStringA(g_instance, IDS_DISPLAY_NAME, text, sizeof text);
    HKEY key = OpenOrCreateKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    if (!key)
        return 0;
    int ok = SetString(key, SZ_DISPLAY_NAME, text);
    char system[PATH_SIZE];
    if (FolderWithSuffix(GetSystemDirectoryA, system, sizeof system, "") &&
        QuotedPath(text, sizeof text, system, SZ_UNINSTALLER_EXE)) {
        ok &= SetString(key, SZ_UNINSTALL_STRING, text);
        ok &= TextAppend(text, sizeof text, SZ_QUIET_SWITCH) && SetString(key, SZ_QUIET_UNINSTALL_STRING, text);
    } else {
        ok = 0;
    }
    ok &= SetString(key, SZ_DISPLAY_VERSION, SZ_VERSION);
    ok &= SetString(key, SZ_PUBLISHER, SZ_MAKER);
    ok &= TextJoin(text, sizeof text, g_destDir, SZ_AGENT_EXE) && SetString(key, SZ_DISPLAY_ICON, text);
    ok &= SetNumber(key, SZ_ESTIMATED_SIZE, g_neededKB);
    ok &= SetNumber(key, SZ_NO_MODIFY, 1);
    ok &= SetNumber(key, SZ_NO_REPAIR, 1);
    RegCloseKey(key);
    return ok;
}

int ListPackage(int* made)
{
    HKEY key;
    *made = RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, &key) != ERROR_SUCCESS;
    if (!*made) {
        char text[PATH_SIZE];
        int listed = ReadRegValue(key, SZ_DISPLAY_NAME, text, sizeof text) &&
                     ReadRegValue(key, SZ_UNINSTALL_STRING, text, sizeof text);
        RegCloseKey(key);
        if (listed)
            return 1;
    }
    return WriteUninstallEntry();
}

int CreateDriverService(const char* name, const char* path)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = NULL;
    // An existing service keeps its configuration, and is the one installed.
    if (manager)
        service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                 SERVICE_ERROR_NORMAL, path, NULL, NULL, NULL, NULL, NULL);
    int made = service || GetLastError() == ERROR_SERVICE_EXISTS;
    LogStep(service != NULL, "CreateServiceA", name, path);
    if (!manager)
        return 0;
    // Run again over an existing service, setup sets the users' entry again.
    if (!service && made && !(service = OpenServiceA(manager, name, READ_CONTROL | WRITE_DAC)))
        LogStep(0, "OpenServiceA", name, NULL);
    made = service && GrantInteractiveStart(service, name);
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return made;
}

int RemovalAwaitsRestart()
{
    char marker[PATH_SIZE];
    if (FolderWithSuffix(GetSystemDirectoryA, marker, sizeof marker, SZ_REMOVAL_MARKER) &&
        GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES)
        return 1;
    if (!IsNtPlatform())
        return 0;
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager)
        return 0;
    SC_HANDLE service = OpenServiceA(manager, SZ_SERVICE, SERVICE_CHANGE_CONFIG);
    int marked = 0;
    if (service) {
        // A change of nothing fails only for a service marked for deletion.
        marked = !ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, NULL, NULL,
                                       NULL, NULL, NULL, NULL, NULL) &&
                 GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return marked;
}

int RegisterComponents()
{
    int ok = WriteRunValue();
    ok &= WriteUninstallEntry();
    if (IsNtPlatform()) {
        char path[SERVICE_PATH_SIZE];
        ok &= DriverFilePath(path, sizeof path) && CreateDriverService(SZ_SERVICE, path);
    }
    return ok;
}
