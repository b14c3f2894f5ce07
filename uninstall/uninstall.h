// The uninstaller's operations.
#ifndef UNINSTALL_UNINSTALL_H
#define UNINSTALL_UNINSTALL_H
#include <windows.h>

#define TEXT_PATH_SIZE   180
#define RUN_VALUE_SIZE   100
// Closing the agent: it is asked every AGENT_PROBE_MS whether it still
// answers, and left once it has not answered for AGENT_SILENT_MS (the time
// after which Windows itself calls a window hung).
#define AGENT_PROBE_MS   500
#define AGENT_SILENT_MS  5000
#define AGENT_PAUSE_MS   1000

extern HINSTANCE g_instance;

// uninstallmain.cpp
int RegisterUninstallClass(HINSTANCE instance);
HWND CreateUninstallWindow(HINSTANCE instance);
LRESULT CALLBACK UninstallWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// closeagent.cpp
void CloseAgent();

// servicermv.cpp
int RemoveDriverService();
int IsDriverActive(SC_HANDLE manager);
int DeleteDriverService(SC_HANDLE manager);

// removal.cpp
// Deletes the names of the record ('*'-separated) from the folder, then the
// folder if that left it empty; nothing in a folder that is a link.
void ClearFolder(const char* folder, const char* record);
void ClearDestinationFolder();
void ClearStartMenuFolder();
void DeleteRegistryEntries();
void DeleteDriverFile(DWORD platform);
void DeleteVorel12Folder();
void ScanEnumeratorKeys();

#endif
