// The uninstaller's operations.
#ifndef UNINSTALL_UNINSTALL_H
#define UNINSTALL_UNINSTALL_H
#include <windows.h>

#define TEXT_PATH_SIZE   180

extern HINSTANCE g_instance;
// Set by the removal: something is left for the next restart; a file of
// the package stays for good.
extern int g_restartDue;
extern int g_kept;

// uninstallmain.cpp
int RegisterUninstallClass(HINSTANCE instance);
HWND CreateUninstallWindow(HINSTANCE instance);
LRESULT CALLBACK UninstallWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// servicermv.cpp
int RemoveDriverService();
int IsDriverActive(SC_HANDLE manager);
int DeleteDriverService(SC_HANDLE manager);

// removal.cpp
// Deletes the names of each group of the record from its folder, then the
// folder if that left it empty; names before the first group are older's.
// A file in use is left to the restart. Nothing in a folder that is a link
// or that the folder guard refuses.
void ClearRecorded(const char* record, const char* older);
void ClearDestinationFolder();
void ClearStartMenuFolder();
// The Run value and the vendor's two keys; the Uninstall entry waits for
// EndRemoval.
void DeleteRegistryEntries();
void DeleteSystemFiles(DWORD platform);
void DeleteVorel12Folder();
// Before the first change: the marker that keeps setup out until the
// restart, with its own deletion left to that restart. 0 when it is not
// in place, 2 when an earlier removal had made it.
int MarkRemovalPending();
// The last step: the marker goes again when nothing was left to the
// restart, then the Uninstall entry with its record, unless a file stays.
void EndRemoval();
void ScanEnumeratorKeys();

#endif
