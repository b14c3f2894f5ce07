// Help page, keyboard control panel and the About box.
#include "agent.h"
#include <shellapi.h>
#include "folders.h"
#include "platform.h"
#include "resource.h"
#include "text.h"
#include "window.h"

#define TEXT_BUFFER_SIZE 80

static char g_text[TEXT_BUFFER_SIZE];
static const char SZ_HELP_SUFFIX[] = "\\vorel12\\tandrel.htm";
static const char SZ_CONTROL_SUFFIX[] = "\\control.exe\" keyboard";

// A directory that does not fit leaves the command undone.
void OpenHelp()
{
    if (FolderWithSuffix(GetSystemDirectoryA, g_text, sizeof g_text, SZ_HELP_SUFFIX))
        ShellExecuteA(g_mainWindow, "Open", g_text, NULL, NULL, SW_SHOW);
}

void OpenKeyboardProperties()
{
    OSVERSIONINFOA v;
    ReadVersion(&v);
    FolderFn getDirectory = v.dwPlatformId == VER_PLATFORM_WIN32_NT ? GetSystemDirectoryA : GetWindowsDirectoryA;
    // Quoted, so that a blank in the folder cannot make Windows run another
    // program first; the folder goes after the opening quote.
    if (TextCopy(g_text, sizeof g_text, "\"") &&
        FolderWithSuffix(getDirectory, g_text + 1, sizeof g_text - 1, SZ_CONTROL_SUFFIX))
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
