// Entry and hidden main window of setup: help, silent or dialog mode.
#include "setup.h"
#include <shellapi.h>
#include "agentclose.h"
#include "cmdline.h"
#include "folders.h"
#include "folderguard.h"
#include "footprint.h"
#include "installlock.h"
#include "installpaths.h"
#include "registry.h"
#include "restartfile.h"
#include "log.h"
#include "modulefolder.h"
#include "window.h"
#include "platform.h"
#include "resource.h"
#include "sizetext.h"
#include "stringbox.h"
#include "cmdtail.h"
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
int g_placedUninstaller;
int g_madeEntry;

#define ROOT_SIZE 80

static_assert(LOG_ARG_SIZE == LOG_PATH_SIZE, "the log path");

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

// Takes away what a first install that failed had made: nothing of a
// package that was there before is touched.
static void UndoFirstInstall()
{
    char path[STEP_PATH_SIZE];
    if (g_placedUninstaller && FolderWithSuffix(GetSystemDirectoryA, path, sizeof path, "\\") &&
        TextAppend(path, sizeof path, SZ_UNINSTALLER_EXE))
        DeletePendingCopy(path);
    if (g_madeEntry)
        DeleteRegKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    RemoveMadeFolders();
}

UINT RefusedDestination(const char* dest)
{
    char resolved[MAX_PATH];
    UINT refused = IDS_BAD_DESTINATION;
    // A file in use there would wait for a restart that runs before the
    // network exists.
    if (InstallFoldersFit(g_sourceDir, dest) && ResolveFolderToClear(dest, resolved, sizeof resolved))
        refused = IsNetworkFolder(resolved) ? IDS_NETWORK_DESTINATION : 0;
    if (refused)
        LogStep(1, "refused:", g_sourceDir, dest);
    return refused;
}

int InstallFiles()
{
    g_madeFolder[0] = 0;
    g_madeEntry = 0;
    // In this order the software list shows the package from the first
    // file on, with an uninstaller that removes whatever is there.
    int whole = PlaceUninstallerFirst() && ListPackage() && StartRecord();
    ResetPlacement();
    whole = whole && CopySourceFiles() && CopyUninstaller() && CopyDriverFile() && CommitPlacement();
    if (!whole) {
        DiscardPlacement();
        UndoFirstInstall();
    }
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
    // A running agent holds its own file, and an old one would keep running.
    g_restartDue = 0;
    // An agent still running after the bound keeps its file, which then
    // waits for the restart; the dialog answers meanwhile.
    CloseAgents(AGENT_CLOSE_BOUND_MS, &g_agentsClosed);
    return 0;
}

void StartAgentAgain(int placed)
{
    // Version 5 of the NT family starts the driver at its restart, but one
    // that ran an agent already has the driver loaded. A failed copy left
    // the installed version as it was: only a closed agent starts again.
    if (g_agentsClosed || (placed && !IsNtVersion5()))
        StartAgent();
}

int RunSilentSetup(const char* folder, int folderFits)
{
    // Nothing is installed, and nothing is shown, from a folder that is not
    // setup's own or into one that would leave half an installation behind.
    if (!ModuleFolder(g_instance, g_sourceDir, sizeof g_sourceDir) || !g_sourceDir[0] || !folderFits) {
        LogFailure("does not fit:", folderFits ? g_sourceDir : "-d");
        return ERROR_INVALID_COMMAND_LINE;
    }
    TextCopy(g_sourceText, sizeof g_sourceText, g_sourceDir);
    if (!TextCopy(g_destDir, sizeof g_destDir, folder[0] ? folder : SZ_DEFAULT_DEST) ||
        !TextEnsureBackslash(g_destDir, sizeof g_destDir)) {
        LogFailure("does not fit:", folder);
        return ERROR_INVALID_COMMAND_LINE;
    }
    if (RefusedDestination(g_destDir))
        return ERROR_INVALID_COMMAND_LINE;
    TextCopy(g_destText, sizeof g_destText, g_destDir);
    unsigned long free = FreeKBOfDestination();
    ComputeNeededSize();
    if (free < g_neededKB || free == 0)
        return ERROR_DISK_FULL;
    int refused = BeginInstall();
    if (refused)
        return refused;
    int placed = InstallFiles();
    int whole = placed && InstallRegistration();
    // Silent mode starts no restart: the code tells that one is due.
    StartAgentAgain(placed);
    if (!whole)
        return ERROR_INSTALL_FAILURE;
    return IsNtVersion5() || g_restartDue ? ERROR_SUCCESS_REBOOT_REQUIRED : 0;
}

// The lock is held until setup ends: a second setup, or one beside a
// removal, brings the first one's dialog to the front and changes nothing.
static DWORD TakeSetupLock(HWND self)
{
    DWORD refused = TakeInstallLock();
    for (HWND first = NULL; refused == ERROR_INSTALL_ALREADY_RUNNING &&
                            (first = FindWindowExA(NULL, first, SZ_SETUP_CLASS, NULL)) != NULL;) {
        HWND dialog = GetLastActivePopup(first);
        if (first != self && dialog != first && IsWindowVisible(dialog))
            SetForegroundWindow(dialog);
    }
    return refused;
}

// Help mode installs nothing.
static void OpenHelpPage()
{
    char page[SOURCE_DIR_SIZE];
    // Only the page beside setup itself, never one found elsewhere: no
    // folder at all is no folder of setup's own either.
    int found = ModuleFolder(g_instance, page, sizeof page) && page[0] && TextAppend(page, sizeof page, SZ_SRC_HELP);
    LogStep(1, "help mode:", found ? page : "", NULL);
    if (found)
        ShellExecuteA(NULL, "open", page, NULL, NULL, SW_SHOWNORMAL);
}

static LRESULT SelectMode(HWND hwnd, const char* cmdline)
{
    char folder[FOLDER_ARG_SIZE];
    char log[LOG_ARG_SIZE];
    int folderFits, logFits;
    int options = ReadOptions(cmdline, OPTIONS_SETUP, folder, sizeof folder, &folderFits, log, sizeof log, &logFits,
                              NULL, 0);
    int silent = options & OPTION_SILENT;
    int help = HasHelpSwitch(cmdline);
    // A log that was asked for and cannot be written: nothing is done.
    // Help mode shows nothing of its own.
    if (!StartLog(log, logFits, "setup", cmdline, "Setup cannot write this log file", silent || help))
        g_exitCode = help ? HelpModeExit(options) : ERROR_INSTALL_LOG_FAILURE;
    else if (help)
        g_exitCode = HelpModeExit(options);
    else if ((g_exitCode = TakeSetupLock(hwnd)) == ERROR_ACCESS_DENIED && !silent)
        StringBox(g_instance, IDS_NEEDS_ADMIN, STRING_BOX_SIZE, hwnd, SZ_SETUP_CAPTION, MB_ICONEXCLAMATION);
    else if (!g_exitCode && silent) {
        g_exitCode = RunSilentSetup(folder, folderFits);
        if (g_exitCode == ERROR_DISK_FULL)
            MessageBoxA(hwnd, SZ_NO_SPACE, SZ_SETUP_CAPTION, MB_ICONEXCLAMATION);
    } else if (!g_exitCode) {
        SetTimer(hwnd, IDT_START_SETUP, 500, NULL);
        return 0;
    }
    if (help)
        OpenHelpPage();
    DestroyWindow(hwnd);
    return 1;
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

static int RunSetup(HINSTANCE instance, LPSTR cmdline)
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

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int)
{
    return LogExit(RunSetup(instance, cmdline));
}
