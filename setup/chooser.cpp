// The old-style open-file dialog as a directory chooser: template 105 shows
// only the path, the folder list and the drives; the hook takes the path.
#include "setup.h"
#include <commdlg.h>
#include "resource.h"
#include "text.h"

#define CHOOSER_FILE_SIZE 300
#define INITIAL_DIR_SIZE  80

#include <stddef.h>

// The record as Windows 95 and NT 4 know it: up to lpTemplateName.
#define CHOOSER_RECORD_SIZE (offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR))
#ifndef _WIN64
static_assert(CHOOSER_RECORD_SIZE == 76, "the Windows 95/NT 4 OPENFILENAMEA is 76 bytes on PE32");
#endif

static char g_chooserFile[CHOOSER_FILE_SIZE];
static char g_initialDir[INITIAL_DIR_SIZE];
static UINT g_shareViolationMessage;

void PrepareChooser(HWND owner, OPENFILENAMEA* ofn, char* emptyText)
{
    g_shareViolationMessage = RegisterWindowMessageA(SHAREVISTRINGA);
    // A current directory that does not fit leaves "C:\": the call then fills nothing.
    TextCopy(g_initialDir, sizeof g_initialDir, "C:\\");
    GetCurrentDirectoryA(sizeof g_initialDir, g_initialDir);
    ZeroMemory(ofn, sizeof *ofn);
    ofn->lStructSize = CHOOSER_RECORD_SIZE;
    ofn->hwndOwner = owner;
    ofn->hInstance = g_instance;
    ofn->lpstrFilter = emptyText;
    ofn->lpstrFile = g_chooserFile;
    ofn->nMaxFile = sizeof g_chooserFile;
    ofn->lpstrInitialDir = g_initialDir;
    ofn->lpstrTitle = emptyText;
    ofn->Flags = OFN_SHOWHELP | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
    ofn->lpfnHook = ChooserHookProc;
    ofn->lpTemplateName = MAKEINTRESOURCEA(IDD_CHOOSE_DIRECTORY);
}

UINT_PTR CALLBACK ChooserHookProc(HWND chooser, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
        char path[DEST_DIR_SIZE];
        TextZero(path, sizeof path);
        GetDlgItemTextA(chooser, IDC_CHOOSER_PATH, path, sizeof path);
        // The setup dialog shows the folder through g_destText: a path with no
        // room there for itself and its backslash is not taken.
        if (TextEnsureBackslash(path, sizeof path) && TextLength(path) < DEST_TEXT_SIZE)
            TextCopy(g_destDir, sizeof g_destDir, path);
        EndDialog(chooser, 1);
    } else if (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(chooser, 1);
    } else if (msg == g_shareViolationMessage && msg != 0) {
        MessageBoxA(chooser, "The SHAREVSTRING message is here!", "Open", MB_ICONEXCLAMATION);
    }
    return FALSE;
}

typedef BOOL(WINAPI* GetOpenFileNameFn)(LPOPENFILENAMEA);

void RunChooser()
{
    char empty[1] = "";
    OPENFILENAMEA ofn;
    PrepareChooser(NULL, &ofn, empty);
    // From the system folder, like comctl32: a comdlg32 that imports
    // comctl32 (Wine's does) would otherwise have it looked for beside setup.
    GetOpenFileNameFn open = (GetOpenFileNameFn)SystemProc(LoadSystemLibrary("comdlg32.dll"), "GetOpenFileNameA");
    if (open)
        open(&ofn);
}
