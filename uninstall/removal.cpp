// Folder clearing, registry deletions, the driver file, the VOREL12 folder
// and the 9x enumerator scan.
#include "uninstall.h"
#include "folderguard.h"
#include "folders.h"
#include "footprint.h"
#include "log.h"
#include "platform.h"
#include "record.h"
#include "registry.h"
#include "restartfile.h"
#include "runfolder.h"
#include "text.h"

#define FILE_PATH_SIZE   256
#define MFG_OFFERED      80

static const char SZ_REMOVE_FOLDER[] = "RemoveDirectoryA";

// What is left for the restart, and what stays for good.
int g_restartDue;
int g_kept;

static const char* const VOREL12_FILES[8] = { "tandrel.htm", "vorel12s.dll", "vorel12a.exe" };

// Notes what a deletion left: 0 stays for good, 2 goes at the restart.
static int Settle(int result)
{
    g_kept |= result == 0;
    g_restartDue |= result == 2;
    return result;
}

// The full path from the folder argument as given: a folder ending in a
// backslash gives two in a row, which the file functions accept. A link's
// target is not the package's, nor is a folder setup never copies: neither
// is touched, not even its attributes. 2 when the restart deletes the file.
static int DeleteOneFile(const char* folder, const char* name)
{
    char path[FILE_PATH_SIZE];
    if (!TextCopy(path, sizeof path, folder) || !TextAppend(path, sizeof path, "\\") ||
        !TextAppend(path, sizeof path, name))
        return 1;
    DWORD attributes = ItemAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
        return 1;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    // The restart runs before the network exists: a file in use there stays.
    if (IsNetworkFolder(folder)) {
        int deleted = DeleteFileA(path) || DeleteFileA(path) || DeleteFileA(path);
        return Settle(LogStep(deleted, "DeleteFileA", path, NULL));
    }
    return Settle(DeleteOrSchedule(path, 3));
}

// Only an empty folder goes: whatever else is in it stays, and the folder
// with it. On the NT family one whose files the restart deletes is deleted
// after them, when it is empty then.
static void EndGroup(const char* folder, int scheduled)
{
    if (!folder[0])
        return;
    if (RemoveDirectoryA(folder)) {
        LogStep(1, SZ_REMOVE_FOLDER, folder, NULL);
        return;
    }
    if (!scheduled || !IsNtPlatform())
        return;
    char bare[TEXT_PATH_SIZE];
    unsigned n = TextLength(folder);
    if (TextCopy(bare, sizeof bare, folder) && n > 3 && TextEndsWithBackslash(bare))
        bare[n - 1] = 0;
    ScheduleDelete(bare);
}

void ClearRecorded(const char* record, const char* older)
{
    char folder[TEXT_PATH_SIZE];
    char entry[FILE_PATH_SIZE];
    int scheduled = 0;
    if (!older[0] || !ResolveFolderToClear(older, folder, sizeof folder))
        folder[0] = 0;
    for (int kind; (kind = TakeRecordedName(&record, entry, sizeof entry)) != 0;) {
        if (kind == RECORD_NAME) {
            if (entry[0] && folder[0])
                scheduled |= DeleteOneFile(folder, entry) == 2;
            continue;
        }
        // A folder that does not pass takes the names of its group with it.
        EndGroup(folder, scheduled);
        scheduled = 0;
        if (!entry[0] || !ResolveFolderToClear(entry, folder, sizeof folder))
            folder[0] = 0;
    }
    EndGroup(folder, scheduled);
}

// The names setup recorded in value, or the package's own where an install
// made before the record has none.
static void ReadRecord(const char* value, const char* package, char* record)
{
    if (!ReadKeyValue(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY, value, record, RECORD_SIZE))
        TextCopy(record, RECORD_SIZE, package);
}

void ClearDestinationFolder()
{
    // An install with -dC:\ points the Run value at a root, which is refused.
    char folder[RUN_VALUE_READ_SIZE];
    char record[RECORD_SIZE];
    ReadRunValueFolder(folder, sizeof folder);
    ReadRecord(SZ_RECORD_FILES, SZ_PACKAGE_FILES, record);
    ClearRecorded(record, folder);
}

void ClearStartMenuFolder()
{
    // An older install's links are in the removing user's Start menu.
    char path[TEXT_PATH_SIZE];
    char record[RECORD_SIZE];
    TextZero(path, sizeof path);
    if (!ReadProgramsFolder(path, sizeof path) || !TextAppend(path, sizeof path, "\\") ||
        !TextAppend(path, sizeof path, SZ_MENU_FOLDER))
        path[0] = 0;
    ReadRecord(SZ_RECORD_LINKS, SZ_PACKAGE_LINKS, record);
    ClearRecorded(record, path);
}

void DeleteRegistryEntries()
{
    HKEY key;
    // A file that stays for good keeps what lets a later removal find it.
    if (!g_kept && RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &key) == ERROR_SUCCESS) {
        LONG error = RegDeleteValueA(key, SZ_RUN_VALUE);
        if (error != ERROR_FILE_NOT_FOUND)
            LogResult(error, "RegDeleteValueA", SZ_RUN_VALUE, NULL);
        RegCloseKey(key);
    }
    DeleteRegKey(HKEY_CLASSES_ROOT, SZ_CLSID_KEY);
    DeleteRegKey(HKEY_LOCAL_MACHINE, SZ_PROPSHEET_KEY);
}

// The file of a loaded driver is held until the restart; so is the
// uninstaller's own, and the new copies and backups that setup left beside
// either. The 9x family has no driver file of the package's.
void DeleteSystemFiles(DWORD platform)
{
    static const char* const names[2] = { SZ_UNINSTALLER_EXE, SZ_DRIVER_UNDER_SYSDIR };
    static const char* const suffixes[2] = { SZ_PENDING_SUFFIX, SZ_BACKUP_SUFFIX };
    char path[TEXT_PATH_SIZE];
    for (int i = 0; i < (platform == VER_PLATFORM_WIN32_NT ? 2 : 1); i++) {
        if (!FolderWithSuffix(GetSystemDirectoryA, path, sizeof path, "") || !TextAppend(path, sizeof path, "\\") ||
            !TextAppend(path, sizeof path, names[i]))
            continue;
        // The uninstaller's own file stays; only its copies go.
        if (i)
            Settle(DeleteOrSchedule(path, 2));
        else
            LogStep(1, "kept", path, NULL);
        unsigned n = TextLength(path);
        for (int k = 0; k < 2; k++) {
            path[n] = 0;
            if (TextAppend(path, sizeof path, suffixes[k]))
                Settle(DeleteOrSchedule(path, 2));
        }
    }
}

static int MarkerPath(char* marker)
{
    return FolderWithSuffix(GetSystemDirectoryA, marker, TEXT_PATH_SIZE, SZ_REMOVAL_MARKER);
}

int MarkRemovalPending()
{
    char marker[TEXT_PATH_SIZE];
    if (!MarkerPath(marker))
        return 0;
    // An earlier removal's marker stands for what that one left to the
    // restart: it stays until then.
    int earlier = GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES;
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (!LogStep(file != INVALID_HANDLE_VALUE, "CreateFileA", marker, NULL))
        return 0;
    CloseHandle(file);
    // A marker that the restart would not delete would refuse setup for
    // good; one cut off before this line gets it now.
    if (ScheduleDelete(marker))
        return 1 + earlier;
    if (!earlier)
        DeleteFileA(marker);
    return 0;
}

void EndRemoval()
{
    char marker[TEXT_PATH_SIZE];
    // Its line for the restart stays: deleting a file that is gone does nothing.
    if (!g_restartDue && MarkerPath(marker) && DeleteFileA(marker))
        LogStep(1, "DeleteFileA", marker, NULL);
    // The platform's own semantics: NT keeps a key that still has subkeys.
    if (!g_kept)
        DeleteRegKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY);
    RegFlushKey(HKEY_LOCAL_MACHINE);
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
        // Attributes are left alone here: a read-only file stays. Three
        // tries, whatever the first ones gave.
        int deleted = DeleteFileA(path);
        deleted |= DeleteFileA(path);
        deleted |= DeleteFileA(path);
        // A file or a folder that is not there is nothing to tell.
        if (deleted || (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND))
            LogStep(deleted, "DeleteFileA", path, NULL);
    }
    if (RemoveDirectoryA(folder))
        LogStep(1, SZ_REMOVE_FOLDER, folder, NULL);
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
            DeleteRegKey(HKEY_LOCAL_MACHINE, path);
            return;
        }
    }
}
