#include "restartfile.h"
#include "folders.h"
#include "footprint.h"
#include "log.h"
#include "platform.h"
#include "text.h"

#define SHORT_PATH_SIZE  128
#define WININIT_SIZE     8192

static const char SZ_WININIT[] = "\\WININIT.INI";
static const char SZ_RENAME[] = "rename";
static const char SZ_DELETE[] = "DeleteFileA";

// The section's lines, each with its NUL, and the empty line that ends them.
static char g_wininit[WININIT_SIZE];

// The 9x family's names are alike whatever their case.
static int SameName(const char* a, const char* b)
{
    unsigned n = TextLength(a);
    return n == TextLength(b) && TextSameStart(a, b, n);
}

// A line for what did not fit; the failed step's own line then tells the
// buffer, not an earlier call's error.
static int Unfit(const char* what, const char* a)
{
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return LogFailure(what, a);
}

// The section is read and written whole: WritePrivateProfileStringA would
// keep only one of several "NUL=" lines. Every line whose source is drop
// goes: its file is gone, and a later file can take its short name. Then
// target=source goes last, as the 9x family carries lines out in order. The
// names are in the OEM code page. Other lines stay as they are.
static int RewriteRenameSection(const char* drop, const char* target, const char* source)
{
    char path[MAX_PATH];
    if (!FolderWithSuffix(GetWindowsDirectoryA, path, sizeof path, SZ_WININIT))
        return Unfit("does not fit:", SZ_WININIT);
    DWORD n = GetPrivateProfileSectionA(SZ_RENAME, g_wininit, WININIT_SIZE, path);
    // A section that filled the buffer may hold more than was read: it is left alone.
    if (n >= WININIT_SIZE - 2)
        return Unfit("does not fit: [rename] of", path);
    g_wininit[n] = 0;
    unsigned kept = 0;
    int dropped = 0;
    for (unsigned at = 0, next; at < n && g_wininit[at]; at = next) {
        const char* line = g_wininit + at;
        unsigned equals = 0;
        while (line[equals] && line[equals] != '=')
            equals = TextNext(line, equals);
        next = at + TextLength(line) + 1;
        if (drop && line[equals] == '=' && SameName(line + equals + 1, drop)) {
            dropped = 1;
            continue;
        }
        // Moved down over the dropped ones, never past what is still to read.
        while (at < next)
            g_wininit[kept++] = g_wininit[at++];
    }
    char* line = g_wininit + kept;
    unsigned room = WININIT_SIZE - kept;
    line[0] = 0;
    if (target && (!TextCopy(line, room, target) || !TextAppendChar(line, room, '=') ||
                   !TextAppend(line, room, source) || TextLength(line) + 2 > room))
        return Unfit("does not fit: [rename] of", path);
    if (!target && !dropped)
        return 1;
    if (target)
        line[TextLength(line) + 1] = 0;
    // The 9x family keeps profiles in memory: flushed, the lines survive a crash.
    int written = WritePrivateProfileSectionA(SZ_RENAME, g_wininit, path) != 0;
    WritePrivateProfileStringA(NULL, NULL, NULL, path);
    return written;
}

// The short path in the OEM code page, in which the restart's real-mode
// program reads WININIT.INI.
static int ShortName(const char* path, char* out)
{
    DWORD n = GetShortPathNameA(path, out, SHORT_PATH_SIZE);
    if (n >= SHORT_PATH_SIZE)
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return n > 0 && n < SHORT_PATH_SIZE && CharToOemA(out, out);
}

// A move of source over target (none: a deletion) left to the restart, logged.
static int Scheduled(int done, const char* source, const char* target)
{
    return LogStep(done, IsNtPlatform() ? "restart, MoveFileExA:" : "restart, WININIT.INI:", source, target);
}

int ScheduleReplace(const char* source, const char* target)
{
    int done;
    if (IsNtPlatform()) {
        done = MoveFileExA(source, target, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
    } else {
        char from[SHORT_PATH_SIZE];
        char to[SHORT_PATH_SIZE];
        // A line of an earlier run whose file was deleted would move this new
        // file over that line's target.
        done = ShortName(source, from) && ShortName(target, to) && RewriteRenameSection(from, to, from);
    }
    return Scheduled(done, source, target);
}

int ScheduleDelete(const char* path)
{
    // The list the restart reads holds a plain path: the backslash doubled
    // after a folder that ends in one goes.
    char plain[MAX_PATH];
    if (TextLength(path) >= sizeof plain)
        return LogFailure("does not fit:", path);
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
    char name[SHORT_PATH_SIZE];
    int done = IsNtPlatform() ? MoveFileExA(plain, NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != 0
                              : ShortName(plain, name) && RewriteRenameSection(NULL, "NUL", name);
    return Scheduled(done, plain, NULL);
}

int DeleteOrSchedule(const char* path, int tries)
{
    // A [rename] line whose source this file was would move a later file
    // that takes its short name.
    char name[SHORT_PATH_SIZE];
    int named = !IsNtPlatform() && ShortName(path, name);
    // Only the package's own files come here: no attribute of theirs keeps them.
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DWORD start = GetTickCount();
    int deleted = 0;
    while (tries-- > 0)
        deleted |= DeleteFileA(path) != 0;
    while (!deleted && HeldBriefly(start))
        deleted = DeleteFileA(path) != 0;
    if (deleted || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        if (deleted)
            LogStep(1, SZ_DELETE, path, NULL);
        if (named)
            RewriteRenameSection(name, NULL, NULL);
        return 1;
    }
    LogStep(0, SZ_DELETE, path, NULL);
    if (ScheduleDelete(path))
        return 2;
    LogStep(1, "kept", path, NULL);
    return 0;
}

int DeletePendingCopy(const char* path)
{
    // The short name is asked while the file is there. One too long for a
    // line was never in one of ours.
    char name[SHORT_PATH_SIZE];
    int named = !IsNtPlatform() && ShortName(path, name);
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DWORD start = GetTickCount();
    int deleted;
    while (!(deleted = DeleteFileA(path)) && GetLastError() != ERROR_FILE_NOT_FOUND &&
           GetLastError() != ERROR_PATH_NOT_FOUND)
        if (!HeldBriefly(start))
            return LogStep(0, SZ_DELETE, path, NULL);
    if (deleted)
        LogStep(1, SZ_DELETE, path, NULL);
    return !named || RewriteRenameSection(name, NULL, NULL);
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
