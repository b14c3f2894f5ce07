// Entry and hidden main window of setup: help, silent or dialog mode.
#include "setup.h"
#include <shellapi.h>
#include "agentclose.h"
#include "cmdline.h"
#include "folderguard.h"
#include "footprint.h"
#include "installpaths.h"
#include "modulefolder.h"
#include "window.h"
#include "platform.h"
#include "resource.h"
#include "sizetext.h"
#include "text.h"

HINSTANCE g_instance;
char g_sourceDir[SOURCE_DIR_SIZE];
char g_sourceText[SOURCE_TEXT_SIZE];
char g_destDir[DEST_DIR_SIZE];
char g_destText[DEST_TEXT_SIZE];
DWORD g_neededKB;
DWORD g_copiedKB;
HWND g_setupDialog;
// What the process reports to whoever started it, in the codes deployment
// tools know from Windows Installer.
int g_exitCode;
int g_restartDue;
int g_agentsClosed;

#define ROOT_SIZE 80

static const char SZ_NO_SPACE[] = "There are not enough disk space.";

unsigned long long GetFreeDiskBytes(const char* root)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return 0;
    return (unsigned long long)freeClusters * bytesPerSector * sectorsPerCluster;
}

unsigned long FreeKBOfDestination()
{
    char root[ROOT_SIZE];
    if (!DriveRoot(g_destText, root, sizeof root))
        return 0;
    return SaturatedKB(GetFreeDiskBytes(root));
}

UINT RefusedDestination(const char* dest)
{
    char resolved[MAX_PATH];
    if (!ResolveFolderToClear(dest, resolved, sizeof resolved))
        return IDS_BAD_DESTINATION;
    // A file in use there would wait for a restart that runs before the
    // network exists.
    return IsNetworkFolder(resolved) ? IDS_NETWORK_DESTINATION : 0;
}

int InstallFiles()
{
    int whole = CopySourceFiles();
    whole &= CopyUninstaller();
    whole &= CopyDriverFile();
    return whole;
}

int InstallRegistration()
{
    int whole = RegisterComponents();
    whole &= CreateShortcuts();
    return whole;
}

int BeginInstall()
{
    // The keys would be dead after the restart.
    if (RemovalAwaitsRestart())
        return ERROR_FAIL_NOACTION_REBOOT;
    if (!StartRecord())
        return ERROR_INSTALL_FAILURE;
    // A running agent holds its own file, and an old one would keep running.
    g_restartDue = 0;
    // An agent still running after the bound keeps its file, which then
    // waits for the restart; the dialog answers meanwhile.
    CloseAgents(AGENT_CLOSE_BOUND_MS, &g_agentsClosed);
    return 0;
}

void StartAgentAgain()
{
    // Version 5 of the NT family starts the driver at its restart, but one
    // that ran an agent already has the driver loaded.
    if (g_agentsClosed || !IsNtVersion5())
        StartAgent();
}

int RunSilentSetup(const char* folder, int folderFits)
{
    // Nothing is installed, and nothing is shown, from a folder that is not
    // setup's own or into one that would leave half an installation behind.
    if (!ModuleFolder(g_instance, g_sourceDir, sizeof g_sourceDir) || !g_sourceDir[0] || !folderFits)
        return ERROR_INVALID_COMMAND_LINE;
    TextCopy(g_sourceText, sizeof g_sourceText, g_sourceDir);
    if (!TextCopy(g_destDir, sizeof g_destDir, folder[0] ? folder : SZ_DEFAULT_DEST) ||
        !TextEnsureBackslash(g_destDir, sizeof g_destDir) || !InstallFoldersFit(g_sourceDir, g_destDir) ||
        RefusedDestination(g_destDir))
        return ERROR_INVALID_COMMAND_LINE;
    TextCopy(g_destText, sizeof g_destText, g_destDir);
    unsigned long free = FreeKBOfDestination();
    ComputeNeededSize();
    if (free < g_neededKB || free == 0)
        return ERROR_DISK_FULL;
    int refused = BeginInstall();
    if (refused)
        return refused;
    int whole = InstallFiles();
    whole &= InstallRegistration();
    // Silent mode starts no restart: the code tells that one is due.
    StartAgentAgain();
    if (!whole)
        return ERROR_INSTALL_FAILURE;
    return IsNtVersion5() || g_restartDue ? ERROR_SUCCESS_REBOOT_REQUIRED : 0;
}

// Held until setup ends: a second setup finds it, brings the first one's
// dialog to the front and changes nothing.
static HANDLE g_setupLock;

static int TakeSetupLock(HWND self)
{
    for (int i = 0; !g_setupLock && i < 2; i++) {
        SetLastError(0);
        g_setupLock = CreateMutexA(NULL, FALSE, i ? SZ_SETUP_LOCK_LOCAL : SZ_SETUP_LOCK);
        DWORD error = GetLastError();
        if (g_setupLock && error == ERROR_ALREADY_EXISTS) {
            CloseHandle(g_setupLock);
            g_setupLock = NULL;
        }
        // Another setup, or a global name that someone else holds: a
        // session's own name would let two setups install at once.
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED)
            break;
    }
    if (g_setupLock)
        return 1;
    for (HWND first = NULL; (first = FindWindowExA(NULL, first, SZ_SETUP_CLASS, NULL)) != NULL;) {
        HWND dialog = GetLastActivePopup(first);
        if (first != self && dialog != first && IsWindowVisible(dialog))
            SetForegroundWindow(dialog);
    }
    return 0;
}

static LRESULT SelectMode(HWND hwnd, const char* cmdline)
{
    if (HasHelpSwitch(cmdline)) {
        g_exitCode = 0;
        char page[SOURCE_DIR_SIZE];
        // Only the page beside setup itself, never one found elsewhere: no
        // folder at all is no folder of setup's own either.
        if (ModuleFolder(g_instance, page, sizeof page) && page[0] && TextAppend(page, sizeof page, SZ_SRC_HELP))
            ShellExecuteA(NULL, "open", page, NULL, NULL, SW_SHOWNORMAL);
        DestroyWindow(hwnd);
        return 1;
    }
    if (!TakeSetupLock(hwnd)) {
        g_exitCode = ERROR_INSTALL_ALREADY_RUNNING;
        DestroyWindow(hwnd);
        return 1;
    }
    char folder[FOLDER_ARG_SIZE];
    int folderFits;
    if (ParseCommandLine(cmdline, folder, sizeof folder, &folderFits)) {
        g_exitCode = RunSilentSetup(folder, folderFits);
        if (g_exitCode == ERROR_DISK_FULL)
            MessageBoxA(hwnd, SZ_NO_SPACE, SZ_SETUP_CAPTION, MB_ICONEXCLAMATION);
        DestroyWindow(hwnd);
        return 1;
    }
    SetTimer(hwnd, IDT_START_SETUP, 500, NULL);
    return 0;
}

LRESULT CALLBACK SetupWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return SelectMode(hwnd, (const char*)((CREATESTRUCTA*)lParam)->lpCreateParams);
    case WM_TIMER:
        KillTimer(hwnd, IDT_START_SETUP);
        PostMessageA(hwnd, WM_START_SETUP, 0, 0);
        return 0;
    case WM_START_SETUP:
        // Until OK has installed, closing the dialog is a cancel; a dialog
        // that cannot be shown is a failure.
        g_exitCode = ERROR_INSTALL_USEREXIT;
        if (DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_SETUP), hwnd, SetupDialogProc, 0) == -1)
            g_exitCode = ERROR_INSTALL_FAILURE;
        PostQuitMessage(g_exitCode);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int RegisterSetupClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SetupWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SETUP));
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = SZ_SETUP_CLASS;
    return RegisterClassA(&wc) != 0;
}

HWND CreateSetupWindow(HINSTANCE instance, LPSTR cmdline)
{
    return CreateWindowExA(0, SZ_SETUP_CLASS, "Ossivane Setup Prog", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, cmdline);
}

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int)
{
    g_instance = instance;
    // Each mode sets its own code once the window is being created; a
    // window that cannot be made has done nothing that was asked.
    g_exitCode = ERROR_INSTALL_FAILURE;
    // Before the first window, in every mode: a system DLL that asks for
    // either by name then gets the system folder's copy.
    LoadDialogLibraries();
    if (!RegisterSetupClass(instance))
        return g_exitCode;
    HWND window = CreateSetupWindow(instance, cmdline);
    if (!window)
        return g_exitCode;
    ShowWindow(window, SW_HIDE);
    return RunMessageLoop();
}
