#include "restartfile.h"
#include "folders.h"
#include "footprint.h"
#include "platform.h"
#include "text.h"

#define SHORT_PATH_SIZE  128
#define WININIT_SIZE     8192

static const char SZ_WININIT[] = "\\WININIT.INI";
static const char SZ_RENAME[] = "rename";

// The section's lines, each with its NUL, and the empty line that ends them.
static char g_wininit[WININIT_SIZE];

// The section is read and written whole: WritePrivateProfileStringA would
// keep only one of several "NUL=" lines. New lines go last, as the 9x
// family carries them out in order.
static int AddRenameLine(const char* target, const char* source)
{
    char path[MAX_PATH];
    if (!FolderWithSuffix(GetWindowsDirectoryA, path, sizeof path, SZ_WININIT))
        return 0;
    DWORD n = GetPrivateProfileSectionA(SZ_RENAME, g_wininit, WININIT_SIZE, path);
    // A section that filled the buffer may hold more than was read: it is left alone.
    if (n >= WININIT_SIZE - 2)
        return 0;
    char* line = g_wininit + n;
    unsigned room = WININIT_SIZE - n;
    if (!TextCopy(line, room, target) || !TextAppendChar(line, room, '=') || !TextAppend(line, room, source) ||
        TextLength(line) + 2 > room)
        return 0;
    line[TextLength(line) + 1] = 0;
    // The 9x family keeps profiles in memory: flushed, the line survives a crash.
    int written = WritePrivateProfileSectionA(SZ_RENAME, g_wininit, path) != 0;
    WritePrivateProfileStringA(NULL, NULL, NULL, path);
    return written;
}

static int ShortName(const char* path, char* out)
{
    DWORD n = GetShortPathNameA(path, out, SHORT_PATH_SIZE);
    return n > 0 && n < SHORT_PATH_SIZE;
}

int ScheduleReplace(const char* source, const char* target)
{
    if (IsNtPlatform())
        return MoveFileExA(source, target, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
    char from[SHORT_PATH_SIZE];
    char to[SHORT_PATH_SIZE];
    return ShortName(source, from) && ShortName(target, to) && AddRenameLine(to, from);
}

int ScheduleDelete(const char* path)
{
    // The list the restart reads holds a plain path: the backslash doubled
    // after a folder that ends in one goes.
    char plain[MAX_PATH];
    if (TextLength(path) >= sizeof plain)
        return 0;
    unsigned n = 0;
    int after = 0;
    for (unsigned i = 0, next; path[i]; i = next) {
        next = TextNext(path, i);
        int backslash = next == i + 1 && path[i] == '\\';
        if (!(i > 1 && backslash && after))
            while (i < next)
                plain[n++] = path[i++];
        after = backslash;
    }
    plain[n] = 0;
    if (IsNtPlatform())
        return MoveFileExA(plain, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
    char name[SHORT_PATH_SIZE];
    return ShortName(plain, name) && AddRenameLine("NUL", name);
}

int DeleteOrSchedule(const char* path, int tries)
{
    int deleted = 0;
    while (tries-- > 0)
        deleted |= DeleteFileA(path) != 0;
    if (deleted || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        return 1;
    return ScheduleDelete(path) ? 2 : 0;
}

int HeldBriefly(DWORD start)
{
    DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || GetTickCount() - start >= HOLD_BOUND_MS)
        return 0;
    Sleep(HOLD_PAUSE_MS);
    SetLastError(error);
    return 1;
}

int DeletePendingCopy(const char* path)
{
    return DeleteFileA(path) || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}
