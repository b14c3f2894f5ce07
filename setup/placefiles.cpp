// Every new file is first copied beside its target under the pending
// suffix, written in full and flushed; only when all of them are there are
// the targets replaced, each by one rename. A failure before that changes no
// installed file, and one among the renames puts back what was renamed, so
// the installed version stays whole. A target in use keeps its new copy for
// the restart.
#include "setup.h"
#include "footprint.h"
#include "log.h"
#include "platform.h"
#include "restartfile.h"
#include "text.h"

// Files\ with the uninstaller and the driver file; more is a package this
// setup does not install.
#define PLACE_MAX   64

// PLACE_STRANDED: the old bytes are left only in the kept copy, which stays.
enum { PLACE_BACKED = 2, PLACE_IN_USE = 4, PLACE_RENAMED = 8, PLACE_STRANDED = 16 };

static char g_targets[PLACE_MAX][MAX_PATH];
static int g_placeState[PLACE_MAX];
static int g_placeCount;

void ResetPlacement()
{
    g_placeCount = 0;
}

// target with suffix; 0 when it does not fit.
static int Beside(char* buf, const char* target, const char* suffix)
{
    return TextCopy(buf, MAX_PATH, target) && TextAppend(buf, MAX_PATH, suffix);
}

// Whether the last error says that another program has the file open.
static int HeldError()
{
    DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A fresh copy of from at to, an ordinary file whatever the source's
// attributes (a CD gives read-only ones). A copy that an earlier run left,
// or that someone else put there, is never reused.
static int FreshCopy(const char* from, const char* to)
{
    if (!DeletePendingCopy(to))
        return 0;
    DWORD start = GetTickCount();
    int copied;
    while (!(copied = CopyFileA(from, to, TRUE)) && HeldBriefly(start))
        ;
    // A failed copy keeps its error: a held file waits for the restart.
    if (copied)
        SetFileAttributesA(to, FILE_ATTRIBUTE_NORMAL);
    return LogStep(copied, "CopyFileA", from, to);
}

// Puts the file's bytes on the disk before a rename makes it a target. One
// pass over all of them just before the renames: the file system then
// commits them together.
static int Flush(const char* path)
{
    DWORD start = GetTickCount();
    int flushed;
    // A virus scanner or an indexer may have the new file open for a moment.
    do {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
        flushed = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    } while (!flushed && HeldBriefly(start));
    return flushed || LogStep(0, "FlushFileBuffers", path, NULL);
}

// One rename of from over to, logged. The 9x family has no MoveFileExA:
// the old file goes first.
static int Rename(const char* from, const char* to)
{
    DWORD start = GetTickCount();
    int done;
    do
        done = IsNtPlatform() ? MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                              : (DeleteFileA(to) || GetLastError() == ERROR_FILE_NOT_FOUND) && MoveFileA(from, to);
    while (!done && HeldBriefly(start));
    return LogStep(done, IsNtPlatform() ? "MoveFileExA" : "MoveFileA", from, to);
}

// Whether another program holds the file: a running program's own file
// cannot be opened for writing.
static int InUse(const char* path)
{
    DWORD start = GetTickCount();
    for (;;) {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return 0;
        }
        if (!HeldBriefly(start))
            return HeldError();
    }
}

#define COMPARE_SIZE 4096


static char g_compare[2][COMPARE_SIZE];

// Whether both files can be read and hold the same bytes.
static int SameContent(const char* a, const char* b)
{
    HANDLE files[2];
    DWORD got[2];
    const char* paths[2] = { a, b };
    for (int i = 0; i < 2; i++)
        files[i] = CreateFileA(paths[i], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    int same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE;
    for (got[0] = 1; same && got[0];) {
        for (int i = 0; i < 2; i++)
            same &= ReadFile(files[i], g_compare[i], COMPARE_SIZE, &got[i], NULL) != 0;
        same &= got[0] == got[1];
        for (DWORD k = 0; same && k < got[0]; k++)
            same = g_compare[0][k] == g_compare[1][k];
    }
    for (int i = 0; i < 2; i++)
        if (files[i] != INVALID_HANDLE_VALUE)
            CloseHandle(files[i]);
    return same;
}

int StageFile(const char* from, const char* target, const char* recordName)
{
    char pending[MAX_PATH];
    char backup[MAX_PATH];
    if (g_placeCount == PLACE_MAX)
        return LogFailure("too many files:", target);
    if (!TextCopy(g_targets[g_placeCount], MAX_PATH, target) || !Beside(pending, target, SZ_PENDING_SUFFIX) ||
        !Beside(backup, target, SZ_BACKUP_SUFFIX))
        return LogFailure("does not fit:", target);
    // A folder in the target's place fails its copy below.
    DWORD attributes = GetFileAttributesA(target);
    // Each name is in the record before the file exists, so that a run cut
    // off at any point leaves nothing that removal cannot find; the kept
    // copy's only where there is an old file to keep.
    static const char* const suffixes[] = { "", SZ_PENDING_SUFFIX, SZ_BACKUP_SUFFIX };
    char name[MAX_PATH];
    for (int i = 0; recordName && i < 3 - (attributes == INVALID_FILE_ATTRIBUTES); i++)
        if (!Beside(name, recordName, suffixes[i]) || !RecordInstalled(SZ_RECORD_FILES, name))
            return 0;
    int* state = &g_placeState[g_placeCount];
    *state = 0;
    g_placeCount++;
    if (!FreshCopy(from, pending))
        return 0;
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 1;
    // The old file is kept until every new one is in place. One that
    // cannot be read is held by another program, and waits for the restart.
    if (FreshCopy(target, backup))
        *state |= PLACE_BACKED;
    else if (HeldError())
        *state |= PLACE_IN_USE;
    else
        return 0;
    return 1;
}

static void Discard(int i)
{
    char path[MAX_PATH];
    if (Beside(path, g_targets[i], SZ_PENDING_SUFFIX))
        DeletePendingCopy(path);
    if (!(g_placeState[i] & PLACE_STRANDED) && Beside(path, g_targets[i], SZ_BACKUP_SUFFIX))
        DeletePendingCopy(path);
}

void DiscardPlacement()
{
    for (int i = 0; i < g_placeCount; i++) {
        char backup[MAX_PATH];
        // A target that did not exist before goes again; one that did gets
        // its old bytes back, or keeps them beside it, recorded, for the next run.
        if (g_placeState[i] & PLACE_RENAMED) {
            if (!(g_placeState[i] & PLACE_BACKED))
                DeletePendingCopy(g_targets[i]);
            else if (!Beside(backup, g_targets[i], SZ_BACKUP_SUFFIX) || !Flush(backup) || !Rename(backup, g_targets[i]))
                g_placeState[i] |= PLACE_STRANDED;
        }
        Discard(i);
    }
    g_placeCount = 0;
}

int CommitPlacement()
{
    char pending[MAX_PATH];
    // Every new copy is on the disk before the first target is replaced.
    for (int i = 0; i < g_placeCount; i++)
        if (!Beside(pending, g_targets[i], SZ_PENDING_SUFFIX) || !Flush(pending))
            return 0;
    for (int i = 0; i < g_placeCount; i++) {
        int* state = &g_placeState[i];
        Beside(pending, g_targets[i], SZ_PENDING_SUFFIX);
        if (*state & PLACE_IN_USE)
            continue;
        SetFileAttributesA(g_targets[i], FILE_ATTRIBUTE_NORMAL);
        // The same bytes need no rename: a loaded driver's file on a repair
        // is not waited for.
        if ((*state & PLACE_BACKED) && SameContent(pending, g_targets[i]))
            DeletePendingCopy(pending);
        else if ((*state & PLACE_BACKED) && InUse(g_targets[i]))
            *state |= PLACE_IN_USE;
        else if (Rename(pending, g_targets[i]))
            *state |= PLACE_RENAMED;
        else if (HeldError())
            *state |= PLACE_IN_USE;
        else
            return 0;
    }
    // Only once every other file is in place: a new copy that waits for the
    // restart cannot be taken back on the NT family.
    for (int i = 0; i < g_placeCount; i++) {
        if (!(g_placeState[i] & PLACE_IN_USE))
            continue;
        Beside(pending, g_targets[i], SZ_PENDING_SUFFIX);
        // The bytes were compared where the file could be read.
        if (!ScheduleReplace(pending, g_targets[i]))
            return 0;
        g_restartDue = 1;
    }
    for (int i = 0; i < g_placeCount; i++)
        if (Beside(pending, g_targets[i], SZ_BACKUP_SUFFIX))
            DeletePendingCopy(pending);
    g_placeCount = 0;
    return 1;
}
