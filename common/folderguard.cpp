#include "folderguard.h"
#include "folders.h"
#include "runfolder.h"
#include "text.h"

#define GUARD_PATH_SIZE MAX_PATH

DWORD ItemAttributes(const char* path)
{
    char item[GUARD_PATH_SIZE];
    if (!TextCopy(item, sizeof item, path))
        return INVALID_FILE_ATTRIBUTES;
    unsigned n = TextLength(item);
    if (n > 3 && TextEndsWithBackslash(item))
        item[n - 1] = 0;
    return GetFileAttributesA(item);
}

// Every comparison is made on the resolved path, so that slashes, doubled
// backslashes, "." and ".." parts cannot hide a folder. A folder that is a
// link leads elsewhere: nothing there is the package's.
int ResolveFolderToClear(const char* folder, char* out, DWORD cap)
{
    char windows[GUARD_PATH_SIZE];
    char system[GUARD_PATH_SIZE];
    LPSTR name;
    DWORD n = GetFullPathNameA(folder, cap, out, &name);
    if (!(n > 0 && n < cap && FolderWithSuffix(GetWindowsDirectoryA, windows, sizeof windows, "") &&
          FolderWithSuffix(GetSystemDirectoryA, system, sizeof system, "") &&
          IsFolderSafeToClear(folder, out, windows, system)))
        return 0;
    DWORD attributes = ItemAttributes(out);
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

int IsNetworkFolder(const char* resolved)
{
    // The resolved form is "X:\..." or "\\server\share\...".
    if (resolved[0] == '\\')
        return 1;
    char root[4] = { resolved[0], ':', '\\', 0 };
    return GetDriveTypeA(root) == DRIVE_REMOTE;
}
