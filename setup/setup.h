// Setup's process-wide state and its install actions.
#ifndef SETUP_SETUP_H
#define SETUP_SETUP_H
#include <windows.h>

#define SOURCE_DIR_SIZE   200
#define SOURCE_TEXT_SIZE  100
#define DEST_DIR_SIZE     200
#define DEST_TEXT_SIZE    128
#define TEXT_SIZE         255

inline constexpr char SZ_SETUP_CAPTION[] = "Tandrel Setup";

#define IDT_START_SETUP   100
#define WM_START_SETUP    (WM_USER + 100)

// All defined in setupmain.cpp.
extern HINSTANCE g_instance;
extern char g_sourceDir[SOURCE_DIR_SIZE];
extern char g_sourceText[SOURCE_TEXT_SIZE];
extern char g_destDir[DEST_DIR_SIZE];
extern char g_destText[DEST_TEXT_SIZE];
extern DWORD g_neededKB;
extern DWORD g_copiedKB;
extern HWND g_setupDialog;
extern int g_exitCode;

// setupmain.cpp
int RegisterSetupClass(HINSTANCE instance);
HWND CreateSetupWindow(HINSTANCE instance, LPSTR cmdline);
LRESULT CALLBACK SetupWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
unsigned long long GetFreeDiskBytes(const char* root);
unsigned long FreeKBOfDestination();
bool IsNtVersion5();
// The exit code: 0 installed, or what kept the installation from being whole.
int RunSilentSetup(const char* folder, int folderFits);
// Copy, uninstaller and driver file: the install steps before the progress
// bar is set to 100 in the dialog. Each step runs whatever the one before
// did; 1 only when all of them did their part.
int InstallFiles();
// Registration and shortcuts: the steps after it.
int InstallRegistration();

// copyfiles.cpp
void ResetProgress();
void ComputeNeededSize();
DWORD TreeSize(const char* folder);
DWORD FileSizeOf(const char* path);
int CopySourceFiles();
int CopyTree(const char* source, const char* dest);
int CreateDirectoryPath(const char* path);
void ShowCopyStatus(const char* source, const char* dest);
void AdvanceProgress(DWORD kb);

// register.cpp
int CopyTwice(const char* from, const char* to);
int CopyUninstaller();
int CopyDriverFile();
int RegisterComponents();
int WriteRunValue();
int WriteUninstallEntry();
int CreateDriverService(const char* name, const char* path);
int SetString(HKEY key, const char* name, const char* data);
int QuotedPath(char* buf, unsigned cap, const char* folder, const char* name);

// installrecord.cpp
int RecordInstalled(const char* value, const char* name);
void StartRecord();
void StartAgent();

// shortcuts.cpp
int CreateShortcuts();
HRESULT CreateShellLink(const char* target, const char* link, const char* description);

// syslib.cpp
// A DLL of the system folder by its full path; NULL when that does not fit.
HMODULE LoadSystemLibrary(const char* name);
// A function of a loaded system DLL; NULL without the DLL or the function.
void* SystemProc(HMODULE module, const char* name);
void LoadDialogLibraries();

// foldersecurity.cpp
// The attributes for a folder setup creates: none on the 9x family, the
// package's protected DACL on the NT family; 0 when the system refuses it.
int FolderAttributes(LPSECURITY_ATTRIBUTES* attributes);

// chooser.cpp
void PrepareChooser(HWND owner, OPENFILENAMEA* ofn, char* emptyText);
UINT_PTR CALLBACK ChooserHookProc(HWND chooser, UINT msg, WPARAM wParam, LPARAM lParam);
void RunChooser();

// restart.cpp
int RestartWindows();

// setupdialog.cpp
INT_PTR CALLBACK SetupDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
