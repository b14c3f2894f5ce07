// The one test of a folder that setup installs into and the removal clears.
#ifndef TANDREL_FOLDERGUARD_H
#define TANDREL_FOLDERGUARD_H
#include <windows.h>

// The attributes of the item itself, asked without a closing backslash,
// which would name what a link leads to.
DWORD ItemAttributes(const char* path);
// The folder's full path into out, when clearing it can only reach the
// package's own files: not a drive or share root, the Windows folder, the
// system folder or its Drivers, nor a link. 0 otherwise.
int ResolveFolderToClear(const char* folder, char* out, DWORD cap);
// Whether a resolved folder is on a network, a server share or a remote
// drive: the restart runs before the network exists there.
int IsNetworkFolder(const char* resolved);

#endif
