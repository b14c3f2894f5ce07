// Folder clearing, registry deletions, the driver file, the VOREL12 folder
// and the 9x enumerator scan.
#include "uninstall.h"
#include "folders.h"
#include "footprint.h"
#include "record.h"
#include "registry.h"
#include "runfolder.h"
#include "text.h"

#define FILE_PATH_SIZE   256
#define MFG_OFFERED      80

static const char* const VOREL12_FILES[8] = { "tandrel.htm", "vorel12s.dll", "vorel12a.exe" };

// The attributes of the item itself, asked without a closing backslash,
// which would name what a link leads to.
static DWORD ItemAttributes(const char* path)
{
    char item[FILE_PATH_SIZE];
    if (!TextCopy(item, sizeof item, path))
        return INVALID_FILE_ATTRIBUTES;
    unsigned n = TextLength(item);
    if (n > 3 && TextEndsWithBackslash(item))
        item[n - 1] = 0;
    return GetFileAttributesA(item);
}

// The full path from the folder argument as given: a folder ending in a
// backslash gives two in a row, which the file functions accept. A link's
// target is not the package's, nor is a folder setup never copies: neither
// is touched, not even its attributes.
static void DeleteOneFile(const char* folder, const char* name)
{
    char path[FILE_PATH_SIZE];
    if (!TextCopy(path, sizeof path, folder) || !TextAppend(path, sizeof path, "\\") ||
        !TextAppend(path, sizeof path, name))
        return;
    DWORD attributes = ItemAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
    DeleteFileA(path);
    DeleteFileA(path);
}

void ClearFolder(const char* folder, const char* record)
{
    // A folder that is a link leads elsewhere: nothing there is the package's.
    DWORD attributes = ItemAttributes(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    char name[FILE_PATH_SIZE];
    while (TakeRecordedName(&record, name, sizeof name))
        if (name[0])
            DeleteOneFile(folder, name);
    // Only an empty folder goes: whatever else is in it stays, and the folder with it.
    RemoveDirectoryA(folder);
}

// The names setup recorded in value, or the package's own where an install
// made before the record has none.
static void ReadRecord(const char* value, const char* package, char* record)
{
    if (!ReadKeyValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY, value, record, RECORD_SIZE))
        TextCopy(record, RECORD_SIZE, package);
}

// The folder's full path into out, when clearing it can only reach the
// package's own files. Every comparison is made on the resolved path, so
// that slashes, doubled backslashes, "." and ".." parts cannot hide a folder.
static int ResolveFolderToClear(const char* folder, char* out, DWORD cap)
{
    char windows[TEXT_PATH_SIZE];
    char system[TEXT_PATH_SIZE];
    LPSTR name;
    DWORD n = GetFullPathNameA(folder, cap, out, &name);
    return n > 0 && n < cap && FolderWithSuffix(GetWindowsDirectoryA, windows, sizeof windows, "") &&
           FolderWithSuffix(GetSystemDirectoryA, system, sizeof system, "") &&
           IsFolderSafeToClear(folder, out, windows, system);
}

void ClearDestinationFolder()
{
    char value[RUN_VALUE_SIZE];
    int read = ReadKeyValue(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE, value, sizeof value);
    // The resolved folder replaces the value, which is not needed again. An
    // install with -dC:\ points the value at a root, which is refused.
    char folder[RUN_VALUE_SIZE];
    char record[RECORD_SIZE];
    if (read && FolderFromRunValue(value, folder, sizeof folder) && ResolveFolderToClear(folder, value, sizeof value)) {
        ReadRecord(SZ_RECORD_FILES, SZ_PACKAGE_FILES, record);
        ClearFolder(value, record);
    }
}

void ClearStartMenuFolder()
{
    char path[TEXT_PATH_SIZE];
    char resolved[TEXT_PATH_SIZE];
    char record[RECORD_SIZE];
    TextZero(path, sizeof path);
    if (ReadProgramsFolder(path, sizeof path) && TextAppend(path, sizeof path, "\\") &&
        TextAppend(path, sizeof path, SZ_MENU_FOLDER) && ResolveFolderToClear(path, resolved, sizeof resolved)) {
        ReadRecord(SZ_RECORD_LINKS, SZ_PACKAGE_LINKS, record);
        ClearFolder(resolved, record);
    }
}

void DeleteRegistryEntries()
{
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, SZ_RUN_VALUE);
        RegCloseKey(key);
    }
    // The platform's own semantics: NT keeps a key that still has subkeys.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, SZ_CLSID_KEY);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY);
}

void DeleteDriverFile(DWORD platform)
{
    char path[TEXT_PATH_SIZE];
    if (!FolderWithSuffix(GetSystemDirectoryA, path, sizeof path, "") || platform != VER_PLATFORM_WIN32_NT)
        return;
    if (!TextAppend(path, sizeof path, "\\") || !TextAppend(path, sizeof path, SZ_DRIVER_UNDER_SYSDIR))
        return;
    DeleteFileA(path);
    DeleteFileA(path);
}

void DeleteVorel12Folder()
{
    char folder[TEXT_PATH_SIZE];
    if (!FolderWithSuffix(GetSystemDirectoryA, folder, sizeof folder, "") || !TextAppend(folder, sizeof folder, "\\") ||
        !TextAppend(folder, sizeof folder, SZ_VOREL12_DIR))
        return;
    for (int i = 0; i < 8 && VOREL12_FILES[i]; i++) {
        char path[TEXT_PATH_SIZE];
        // The folder ends in a backslash: the name goes on bare.
        if (!TextCopy(path, sizeof path, folder) || !TextAppend(path, sizeof path, VOREL12_FILES[i]))
            continue;
        // Attributes are left alone here: a read-only file stays.
        DeleteFileA(path);
        DeleteFileA(path);
        DeleteFileA(path);
    }
    RemoveDirectoryA(folder);
}

void ScanEnumeratorKeys()
{
    for (unsigned n = 0; n < 100; n++) {
        char path[TEXT_PATH_SIZE];
        if (!EnumKeyName(n, path, sizeof path))
            continue;
        HKEY key;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) != ERROR_SUCCESS)
            continue;
        char mfg[TEXT_PATH_SIZE];
        TextZero(mfg, sizeof mfg);
        DWORD type;
        DWORD size = MFG_OFFERED;
        LONG r = RegQueryValueExA(key, SZ_MFG_VALUE, NULL, &type, (BYTE*)mfg, &size);
        RegCloseKey(key);
        // mfg was zero-filled past the 80 bytes offered, so it is terminated.
        if (r == ERROR_SUCCESS && TextEqual(mfg, SZ_MFG_MATCH)) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
            return;
        }
    }
}
