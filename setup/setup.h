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

// "No action was taken as a system reboot is required." (winerror.h of
// later SDKs)
#ifndef ERROR_FAIL_NOACTION_REBOOT
#define ERROR_FAIL_NOACTION_REBOOT 350
#endif

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
// A file in use waits beside its target for the next restart.
extern int g_restartDue;

// setupmain.cpp
int RegisterSetupClass(HINSTANCE instance);
HWND CreateSetupWindow(HINSTANCE instance, LPSTR cmdline);
LRESULT CALLBACK SetupWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
unsigned long long GetFreeDiskBytes(const char* root);
unsigned long FreeKBOfDestination();
bool IsNtVersion5();
// The exit code: 0 installed, or what kept the installation from being whole.
int RunSilentSetup(const char* folder, int folderFits);
// 0, or the string that refuses dest (with its backslash) before anything
// changes: a folder too long for the steps, one the removal would not
// clear, or one on a network.
UINT RefusedDestination(const char* dest);
// Before the first copy, after the checks of the folders and the space: 0,
// or the code that refuses the installation with nothing changed. The
// running agents are ended within a bound; *closed counts them.
int BeginInstall(int* closed);
// The agent runs again wherever setup ended one, and is started where it
// ran after the first install too; not where a restart was started, nor
// after a failed copy (placed 0) where none ran. After a failed copy the
// agents that were closed run again from the Run value's folder.
void StartAgentAgain(int placed, int closed);
// The uninstaller, the listed entry with its record, then every new file
// staged and put in place: the install steps before the progress bar is set
// to 100 in the dialog. 1 when every file is in place or waits for the
// restart; 0 when it failed, and then no installed file was changed and a
// first install has left nothing.
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
// The outermost folder level that CreateDirectoryPath made, without its
// backslash; empty when it made none.
extern char g_madeFolder[200];
// Removes the empty levels of the destination up to g_madeFolder; 1 when
// none of them is left.
int RemoveMadeFolders();
void ShowCopyStatus(const char* source, const char* dest);
void AdvanceProgress(DWORD kb);

// placefiles.cpp
void ResetPlacement();
// Copies from beside target, and keeps a copy of an existing target, both
// recorded as recordName's (NULL: a file outside the destination folder)
// before they are made. 0 when that failed.
int StageFile(const char* from, const char* target, const char* recordName);
// Every staged file over its target; one in use waits for the restart
// (g_restartDue). 0 when one failed; DiscardPlacement then puts back what
// was renamed.
int CommitPlacement();
// Deletes the staged copies and puts back every target already replaced;
// 1 when no copy is left beside a target.
int DiscardPlacement();
// A kept copy whose target is missing (a 9x rename cut off after its
// delete) goes back in its place; 0 when it cannot.
int RestoreKept(const char* target);

// register.cpp
// A first install places the uninstaller before anything else, so that the
// entry that lists the package can run it from the start.
// *placed: it was not there before.
int PlaceUninstallerFirst(int* placed);
// The Uninstall entry, written now unless it already lists the package;
// *made: the key was not there before.
int ListPackage(int* made);
// Whether a removal left files or the driver service (its driver was
// loaded) to be deleted at the next restart, together with whatever this
// setup would install now.
int RemovalAwaitsRestart();
// placed: PlaceUninstallerFirst has placed it already.
int CopyUninstaller(int placed);
int CopyDriverFile();
int RegisterComponents();
int WriteRunValue();
int WriteUninstallEntry();
int CreateDriverService(const char* name, const char* path);
int SetString(HKEY key, const char* name, const char* data);
int QuotedPath(char* buf, unsigned cap, const char* folder, const char* name);

// installrecord.cpp
int RecordInstalled(const char* value, const char* name);
// Opens this install's groups in the record; 0 when the record is full.
int StartRecord();

// startagent.cpp
// The agent of folder (with its backslash), started once in the logged-on
// user's session.
void StartAgentAt(const char* folder);

// servicesecurity.cpp
// Whether sid is the well-known SID well, which has one sub-authority: 12
// bytes, compared as three DWORDs (a SID is DWORD-aligned). The first holds
// the count, so a shorter SID is not read past it.
inline bool IsSidOf(const void* sid, const SID* well)
{
    const DWORD* a = (const DWORD*)sid;
    const DWORD* b = (const DWORD*)well;
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}
// The service's DACL: its entries, and one that lets the interactive users
// start it and query its status. 0 when it could not be set.
int GrantInteractiveStart(SC_HANDLE service, const char* name);

// shortcuts.cpp
int CreateShortcuts();
// The installing user's Start-menu folder of the package, with its closing backslash.
int LinksFolder(char* folder, unsigned cap);
HRESULT CreateShellLink(const char* target, const char* link, const char* description);

// syslib.cpp
// A DLL of the system folder by its full path; NULL when that does not fit.
HMODULE LoadSystemLibrary(const char* name);
// A function of a loaded system DLL; NULL without the DLL or the function.
void* SystemProc(HMODULE module, const char* name);
// ole32 by its full path, and an apartment for this thread: the result of
// CoInitialize, or E_NOINTERFACE without ole32. LeaveOle takes that result.
typedef HRESULT(WINAPI* CoCreateInstanceFn)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
extern CoCreateInstanceFn g_coCreateInstance;
HRESULT EnterOle();
void LeaveOle(HRESULT entered);
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
