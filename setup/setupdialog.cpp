// The setup dialog: folders, free and needed space, and the installation
// with status and progress.
#include "setup.h"
#include <commctrl.h>
#include "cmdline.h"
#include "footprint.h"
#include "installpaths.h"
#include "modulefolder.h"
#include "resource.h"
#include "sizetext.h"
#include "stringbox.h"
#include "text.h"
#include "window.h"

#define SPACE_TEXT_SIZE 40

static const char SZ_CHOOSE_CAPTION[] = "Choose Directory";

// From OK to the dialog's end: a close, Cancel or Change then is refused,
// also while a box or the wait for the agents answers messages, so that the
// final box is never destroyed with its owner.
static int g_installing;

static void ShowSourceFolder(HWND dlg)
{
    ModuleFolder(g_instance, g_sourceDir, sizeof g_sourceDir);
    TextCopy(g_sourceText, sizeof g_sourceText, g_sourceDir);
    SetDlgItemTextA(dlg, IDC_SOURCE_DIR, g_sourceText);
}

static void ShowDestination(HWND dlg)
{
    TextCopy(g_destText, sizeof g_destText, g_destDir);
    SetDlgItemTextA(dlg, IDC_DEST_DIR, g_destText);
}

static void ShowFreeSpace(HWND dlg)
{
    char text[SPACE_TEXT_SIZE];
    FormatGroupedKB(FreeKBOfDestination(), text, sizeof text);
    SetDlgItemTextA(dlg, IDC_FREE_SPACE, text);
}

static void ShowNeededSpace(HWND dlg)
{
    ComputeNeededSize();
    char text[SPACE_TEXT_SIZE];
    FormatPlainKB(g_neededKB, text, sizeof text);
    SetDlgItemTextA(dlg, IDC_NEEDED_SPACE, text);
}

static INT_PTR OkSequence(HWND dlg)
{
    char text[TEXT_SIZE + 1];
    TextZero(text, sizeof text);
    GetDlgItemTextA(dlg, IDC_DEST_DIR, text, TEXT_SIZE);
    // An empty folder, or one that would leave half an installation behind,
    // is no destination to install into; nor is any folder when setup's own
    // did not fit its buffer; nor one the removal would refuse to clear.
    UINT refused = IDS_BAD_DESTINATION;
    if (TextEnsureBackslash(text, sizeof text))
        refused = RefusedDestination(text);
    if (refused) {
        StringBox(g_instance, refused, TEXT_SIZE, dlg, SZ_CHOOSE_CAPTION, MB_ICONEXCLAMATION);
        return FALSE;
    }
    TextCopy(g_destDir, sizeof g_destDir, text);
    TextCopy(g_destText, sizeof g_destText, g_destDir);
    EnableWindow(GetDlgItem(dlg, IDC_CANCEL), FALSE);
    EnableWindow(GetDlgItem(dlg, IDC_OK), FALSE);
    g_installing = 1;
    int closed;
    g_exitCode = BeginInstall(&closed);
    if (g_exitCode) {
        StringBox(g_instance, g_exitCode == ERROR_FAIL_NOACTION_REBOOT ? IDS_RESTART_FIRST : IDS_SETUP_INCOMPLETE,
                  TEXT_SIZE, dlg, SZ_SETUP_CAPTION, MB_ICONEXCLAMATION);
        DestroyWindow(dlg);
        return FALSE;
    }
    int placed = InstallFiles();
    SendMessageA(GetDlgItem(g_setupDialog, IDC_PROGRESS), PBM_SETPOS, 100, 0);
    int whole = placed && InstallRegistration();
    ShowWindow(dlg, SW_HIDE);
    if (!whole) {
        g_exitCode = ERROR_INSTALL_FAILURE;
        StringBox(g_instance, IDS_SETUP_INCOMPLETE, TEXT_SIZE, dlg, SZ_SETUP_CAPTION, MB_ICONEXCLAMATION);
    } else if (IsNtVersion5() || g_restartDue) {
        g_exitCode = ERROR_SUCCESS_REBOOT_REQUIRED;
        // No owner and topmost: the dialog is hidden by now.
        if (StringBox(g_instance, IDS_RESTART_PROMPT, TEXT_SIZE, NULL, SZ_SETUP_CAPTION,
                      MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES &&
            RestartWindows()) {
            g_exitCode = ERROR_SUCCESS_REBOOT_INITIATED;
            DestroyWindow(dlg);
            return TRUE;
        }
    } else {
        g_exitCode = 0;
        StringBox(g_instance, IDS_SETUP_COMPLETE, TEXT_SIZE, dlg, SZ_SETUP_CAPTION, MB_ICONINFORMATION);
    }
    StartAgentAgain(placed, closed);
    DestroyWindow(dlg);
    return FALSE;
}

static void ChangeSequence(HWND dlg)
{
    RunChooser();
    ShowDestination(dlg);
    ShowFreeSpace(dlg);
}

INT_PTR CALLBACK SetupDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        g_setupDialog = dlg;
        g_installing = 0;
        ShowSourceFolder(dlg);
        TextCopy(g_destDir, sizeof g_destDir, SZ_DEFAULT_DEST);
        ShowDestination(dlg);
        ShowFreeSpace(dlg);
        ShowNeededSpace(dlg);
        ResetProgress();
        return FALSE;
    case WM_COMMAND:
        // Only clicks: IDCANCEL from Esc and other notifications do nothing.
        if (g_installing)
            return FALSE;
        if (wParam == IDC_OK)
            return OkSequence(dlg);
        if (wParam == IDC_CHANGE)
            ChangeSequence(dlg);
        else if (wParam == IDC_CANCEL)
            DestroyWindow(dlg);
        return FALSE;
    case WM_CLOSE:
        if (!g_installing)
            DestroyWindow(dlg);
        return FALSE;
    case WM_DESTROY:
        g_setupDialog = NULL;
        EndDialog(dlg, 0);
        return FALSE;
    case WM_PAINT:
        PaintNothing(dlg);
        return FALSE;
    }
    return FALSE;
}
