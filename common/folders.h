// The folders the programs find files in.
#ifndef TANDREL_FOLDERS_H
#define TANDREL_FOLDERS_H
#include <windows.h>

// GetSystemDirectoryA or GetWindowsDirectoryA.
typedef UINT(WINAPI* FolderFn)(LPSTR, UINT);

// get's folder into buf, then suffix appended as it is. The folder is asked
// with the room cap leaves beside the suffix (shorter than cap). 1 only when
// both fit; on 0 buf is empty.
int FolderWithSuffix(FolderFn get, char* buf, unsigned cap, const char* suffix);

#endif
