// Entry of the uninstaller: one question, then the fixed removal sequence
// inside the hidden window's creation, then one final message.
#include "uninstall.h"
#include "agentclose.h"
#include "cmdtail.h"
#include "footprint.h"
#include "installlock.h"
#include "log.h"
#include "window.h"
#include "platform.h"
#include "resource.h"
#include "stringbox.h"
#include "text.h"

HINSTANCE g_instance;
// -s: no question and no final message, the removal otherwise the same.
int g_silent;
// What the process reports, in the codes deployment tools know from
// Windows Installer.
int g_exitCode;

#define CONFIRM_SIZE 80
// The unknown option as a box names it.
#define OPTION_TEXT_SIZE 64

static const char SZ_CAPTION[] = "Tandrel";

// Each step after the marker can be cut off: the marker keeps setup out
// until the restart has done what was left to it, and the Uninstall entry
// goes last, so that running the uninstaller again finishes the removal.
static void RemoveFootprint(DWORD platform)
{
    // An unattended run waits on no one: an agent still running after the
    // bound keeps its files, which the restart then deletes.
    g_restartDue = !CloseAgents(g_silent ? AGENT_CLOSE_BOUND_MS : 0, NULL);
    ClearDestinationFolder();
    ClearStartMenuFolder();
    DeleteRegistryEntries();
    RemoveDriverService();
    DeleteSystemFiles(platform);
    DeleteVorel12Folder();
    ScanEnumeratorKeys();
    EndRemoval();
}

static LRESULT RemovalSequence(HWND hwnd)
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    // Setup or another removal is at work, or this user may not remove the
    // package: this run changes nothing.
    DWORD refused = TakeInstallLock();
    if (refused) {
        g_exitCode = refused;
        if (!g_silent)
            StringBox(g_instance, refused == ERROR_ACCESS_DENIED ? IDS_NEEDS_ADMIN : IDS_ALREADY_RUNNING,
                      TEXT_PATH_SIZE, NULL, SZ_CAPTION, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
        DestroyWindow(hwnd);
        return 1;
    }
    if (!g_silent &&
        StringBox(g_instance, IDS_CONFIRM, CONFIRM_SIZE, NULL, SZ_CAPTION,
                  MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | MB_TOPMOST) == IDNO) {
        g_exitCode = ERROR_INSTALL_USEREXIT;
        DestroyWindow(hwnd);
        return 1;
    }
    // Without the marker a deletion left to the restart could take what a
    // later setup installs: nothing is removed then.
    g_kept = 0;
    g_restartDue = 0;
    if (MarkRemovalPending())
        RemoveFootprint(v.dwPlatformId);
    else
        g_kept = 1;
    // The NT family's driver stays loaded until the next restart.
    UINT done = IDS_DONE_9X;
    g_exitCode = 0;
    if (g_kept) {
        done = IDS_NOT_REMOVED;
        g_exitCode = ERROR_INSTALL_FAILURE;
    } else if (IsNtPlatform() || g_restartDue) {
        done = IDS_DONE_NT;
        g_exitCode = ERROR_SUCCESS_REBOOT_REQUIRED;
    }
    if (!g_silent)
        StringBox(g_instance, done, TEXT_PATH_SIZE, NULL, SZ_CAPTION, MB_OK | MB_SETFOREGROUND | MB_TOPMOST);
    DestroyWindow(hwnd);
    return 0;
}

LRESULT CALLBACK UninstallWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return RemovalSequence(hwnd);
    case WM_DESTROY:
        PostQuitMessage(g_exitCode);
        return 0;
    case WM_PAINT:
        PaintNothing(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

int RegisterUninstallClass(HINSTANCE instance)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = UninstallWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_UNINSTALL));
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = SZ_UNINSTALL_CLASS;
    return RegisterClassA(&wc) != 0;
}

HWND CreateUninstallWindow(HINSTANCE instance)
{
    g_instance = instance;
    return CreateWindowExA(0, SZ_UNINSTALL_CLASS, "UNINSTALL", WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, NULL, NULL, instance, NULL);
}

// An option this program does not know: it changes nothing, and a person
// at the screen learns which one.
static int RefuseOption(const char* option)
{
    LogStep(1, "unknown option, nothing removed:", option, NULL);
    if (!g_silent) {
        char format[TEXT_PATH_SIZE];
        char text[TEXT_PATH_SIZE + OPTION_TEXT_SIZE];
        TextZero(format, sizeof format);
        LoadStringA(g_instance, IDS_UNKNOWN_OPTION, format, sizeof format);
        wsprintfA(text, format, option);
        MessageBoxA(NULL, text, SZ_CAPTION, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
    }
    return ERROR_INVALID_COMMAND_LINE;
}

static int RunRemoval(HINSTANCE instance, LPSTR cmdline)
{
    char log[LOG_PATH_SIZE];
    char option[OPTION_TEXT_SIZE];
    int logFits, unused;
    g_instance = instance;
    int options = ReadOptions(cmdline, OPTIONS_REMOVAL, NULL, 0, &unused, log, sizeof log, &logFits, option,
                              sizeof option);
    g_silent = options & OPTION_SILENT;
    int unknown = options & OPTION_UNKNOWN;
    // A log that was asked for and cannot be written: nothing is removed.
    // A line that also holds an unknown option shows only that one box.
    if (!StartLog(log, logFits, "vorel12u", cmdline, "The uninstaller cannot write this log file", g_silent || unknown) &&
        !unknown)
        return ERROR_INSTALL_LOG_FAILURE;
    if (unknown)
        return RefuseOption(option);
    // The removal sets its own code; a window that cannot be made has removed nothing.
    g_exitCode = ERROR_INSTALL_FAILURE;
    if (!RegisterUninstallClass(instance))
        return g_exitCode;
    HWND window = CreateUninstallWindow(instance);
    if (!window)
        return g_exitCode;
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    return RunMessageLoop();
}

extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdline, int)
{
    return LogExit(RunRemoval(instance, cmdline));
}
