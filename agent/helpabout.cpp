// Help page, keyboard control panel and the About box.
#include "agent.h"
#include <shellapi.h>
#include "platform.h"
#include "resource.h"
#include "text.h"
#include "window.h"

#define TEXT_BUFFER_SIZE 80

static char g_text[TEXT_BUFFER_SIZE];
static const char SZ_HELP_SUFFIX[] = "\\vorel12\\tandrel.htm";
// Quoted, so that a blank in the folder cannot make Windows run another
// program first.
static const char SZ_CONTROL_PREFIX[] = "\"";
static const char SZ_CONTROL_SUFFIX[] = "\\control.exe\" keyboard";

// The directory is asked for with the room the buffer has left around it;
// a directory that does not fit leaves the command undone.
static int DirectoryWithSuffix(UINT(WINAPI* getDirectory)(LPSTR, UINT), const char* prefix, const char* suffix)
{
    unsigned lead = TextLength(prefix);
    UINT room = TEXT_BUFFER_SIZE - lead - TextLength(suffix);
    TextZero(g_text, sizeof g_text);
    TextCopy(g_text, sizeof g_text, prefix);
    UINT n = getDirectory(g_text + lead, room);
    if (n == 0 || n >= room)
        return 0;
    return TextAppend(g_text, sizeof g_text, suffix);
}

void OpenHelp()
{
    if (DirectoryWithSuffix(GetSystemDirectoryA, "", SZ_HELP_SUFFIX))
        ShellExecuteA(g_mainWindow, "Open", g_text, NULL, NULL, SW_SHOW);
}

void OpenKeyboardProperties()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    UINT(WINAPI* getDirectory)(LPSTR, UINT) =
        v.dwPlatformId == VER_PLATFORM_WIN32_NT ? GetSystemDirectoryA : GetWindowsDirectoryA;
    if (DirectoryWithSuffix(getDirectory, SZ_CONTROL_PREFIX, SZ_CONTROL_SUFFIX))
        WinExec(g_text, SW_SHOW);
}

void ShowAbout()
{
    SetForegroundWindow(g_mainWindow);
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_ABOUT), g_mainWindow, AboutProc, 0);
}

// Topmost, centred on the screen, one caption-button height taller.
static void CentreAndRaise(HWND dlg)
{
    RECT rc;
    GetClientRect(dlg, &rc);
    int w = rc.right - rc.left;
    int h = rc.bottom - rc.top;
    HDC ic = CreateICA("DISPLAY", NULL, NULL, NULL);
    int screenW = GetDeviceCaps(ic, HORZRES);
    int screenH = GetDeviceCaps(ic, VERTRES);
    DeleteDC(ic);
    int c = GetSystemMetrics(SM_CYSIZE);
    SetWindowPos(dlg, HWND_TOPMOST, (screenW - w) / 2, (screenH - h - c) / 2, w, h + c, SWP_SHOWWINDOW);
}

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetFocus(GetDlgItem(dlg, IDC_ABOUT_OK));
        CentreAndRaise(dlg);
        return FALSE;
    case WM_COMMAND:
        if (wParam == IDC_ABOUT_OK)
            DestroyWindow(dlg);
        else
            EndDialog(dlg, 0);
        return 0;
    case WM_DESTROY:
        EndDialog(dlg, 0);
        return 0;
    case WM_PAINT:
        PaintNothing(dlg);
        return 0;
    }
    return FALSE;
}
