// Entry and hidden main window of setup: help, silent or dialog mode.
#include "setup.h"
#include <shellapi.h>
#include "cmdline.h"
#include "footprint.h"
#include "installpaths.h"
#include "window.h"
#include "platform.h"
#include "resource.h"
#include "sizetext.h"
#include "text.h"

HINSTANCE g_instance;
char SourceDir[SOURCE_DIR_SIZE];
char DestDir[DEST_DIR_SIZE];

#define ROOT_SIZE 80

static const char SZ_SETUP_CAPTION[] = "Tandrel Setup";
static const char SZ_NO_SPACE[] = "There are not enough disk space.";

int GetModuleFolder(char* target, unsigned cap)
{
    char module[MODULE_NAME_SIZE];
    DWORD n = GetModuleFileNameA(g_instance, module, sizeof module);
    if (n == 0)
        return 0;
    // A truncated name is no folder: the target is left empty, and the
    // callers neither install nor open help from anywhere else.
    if (n >= sizeof module) {
        TextCopy(target, cap, "");
        return 0;
    }
    DWORD cut = n;
    while (cut > 0 && module[cut - 1] != '\\')
        cut--;
    // No folder at all is no folder of setup's own either.
    if (cut == 0) {
        TextCopy(target, cap, "");
        return 0;
    }
    module[cut] = 0;
    return TextCopy(target, cap, module);
}

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
    if (!DriveRoot(DestText, root, sizeof root))
        return 0;
    return SaturatedKB(GetFreeDiskBytes(root));
}

void InstallFiles()
{
    CopySourceFiles();
    CopyUninstaller();
    CopyDriverFile();
}

void InstallRegistration()
{
    RegisterComponents();
    CreateShortcuts();
}

int RunSilentSetup(const char* folder, int folderFits)
{
    // Nothing is installed, as silently as any other failed step, from a
    // folder that is not setup's own or into one that would leave half an
    // installation behind.
    if (!GetModuleFolder(SourceDir, sizeof SourceDir) || !folderFits)
        return 1;
    TextCopy(SourceText, sizeof SourceText, SourceDir);
    if (!TextCopy(DestDir, sizeof DestDir, folder[0] ? folder : SZ_DEFAULT_DEST) ||
        !TextEnsureBackslash(DestDir, sizeof DestDir) || !InstallFoldersFit(SourceDir, DestDir))
        return 1;
    TextCopy(DestText, sizeof DestText, DestDir);
    unsigned long free = FreeKBOfDestination();
    ComputeNeededSize();
    if (free < NeededKB || free == 0)
        return 0;
    InstallFiles();
    InstallRegistration();
    if (!IsNtVersion5())
        StartAgent();
    return 1;
}

static LRESULT SelectMode(HWND hwnd, const char* cmdline)
{
    if (HasHelpSwitch(cmdline)) {
        char page[SOURCE_DIR_SIZE];
        // Only the page beside setup itself, never one found elsewhere.
        if (GetModuleFolder(page, sizeof page) && TextAppend(page, sizeof page, SZ_SRC_HELP))
            ShellExecuteA(NULL, "open", page, NULL, NULL, SW_SHOWNORMAL);
        DestroyWindow(hwnd);
        return 1;
    }
    char folder[FOLDER_ARG_SIZE];
    int folderFits;
    if (ParseCommandLine(cmdline, folder, sizeof folder, &folderFits)) {
        if (!RunSilentSetup(folder, folderFits))
            MessageBoxA(hwnd, SZ_NO_SPACE, SZ_SETUP_CAPTION, MB_ICONEXCLAMATION);
        DestroyWindow(hwnd);
        return 1;
    }
    LoadDialogLibraries();
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
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_SETUP), hwnd, SetupDialogProc, 0);
        PostQuitMessage(0);
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
    if (!RegisterSetupClass(instance))
        return 0;
    HWND window = CreateSetupWindow(instance, cmdline);
    if (!window)
        return 0;
    ShowWindow(window, SW_HIDE);
    return RunMessageLoop();
}
