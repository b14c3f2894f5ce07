// The flat copy of "Files\" with status caption and progress, and the space
// the package needs.
#include "setup.h"
#include <commctrl.h>
#include "footprint.h"
#include "log.h"
#include "installpaths.h"
#include "resource.h"
#include "sizetext.h"
#include "text.h"
#include "walk.h"

#define WALK_PATH_SIZE    256
#define SAVED_DIR_SIZE    256
#define CREATE_DIR_SIZE   200
#define PARENT_DIR_SIZE   180
#define STATUS_SIZE       200
#define COPY_ARG_SIZE     STEP_PATH_SIZE
#define SCRATCH_SIZE      200

// Saves the current directory; 0 when it does not fit, and then there is
// nothing to restore.
static int SaveCurrentDirectory(char* saved)
{
    TextZero(saved, SAVED_DIR_SIZE);
    DWORD n = GetCurrentDirectoryA(SAVED_DIR_SIZE, saved);
    return n > 0 && n < SAVED_DIR_SIZE;
}

char g_madeFolder[CREATE_DIR_SIZE];

struct SizeWalk {
    const char* folder;
    DWORD total;
};

struct CopyWalk {
    const char* source;
    const char* dest;
    int whole;
};

void ResetProgress()
{
    HWND bar = GetDlgItem(g_setupDialog, IDC_PROGRESS);
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(bar, PBM_SETPOS, 0, 0);
}

DWORD FileSizeOf(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    DWORD size = GetFileSize(h, NULL);
    CloseHandle(h);
    return size == INVALID_FILE_SIZE ? 0 : size;
}

static void AddFileSize(const char* name, void* context)
{
    SizeWalk* walk = (SizeWalk*)context;
    char path[WALK_PATH_SIZE];
    if (TextJoin(path, sizeof path, walk->folder, name))
        walk->total += FileSizeOf(path);
}

DWORD TreeSize(const char* folder)
{
    char saved[SAVED_DIR_SIZE];
    int restore = SaveCurrentDirectory(saved);
    if (!SetCurrentDirectoryA(folder))
        return 0;
    SizeWalk walk = { folder, 0 };
    ForEachEntry(AddFileSize, &walk);
    if (restore)
        SetCurrentDirectoryA(saved);
    return walk.total / 1000;
}

static DWORD SourceTreeSize(const char* name)
{
    char scratch[SCRATCH_SIZE];
    // Without setup's own folder the name alone would be the current directory's.
    if (!g_sourceDir[0] || !TextJoin(scratch, sizeof scratch, g_sourceDir, name))
        return 0;
    return TreeSize(scratch);
}

void ComputeNeededSize()
{
    // Each folder in thousands of bytes, truncated separately.
    g_neededKB = SourceTreeSize(SZ_SRC_FILES_DIR);
    g_neededKB += SourceTreeSize(SZ_SRC_KERNEL_DIR);
    g_neededKB += SourceTreeSize(SZ_SRC_UNINST_DIR);
}

int CreateDirectoryPath(const char* path)
{
    if (SetCurrentDirectoryA(path))
        return 1;
    // The parent ends at the last backslash after "X:".
    unsigned after = TextAfterLastBackslash(path, 2);
    if (after) {
        unsigned cut = after - 1;
        char parent[PARENT_DIR_SIZE];
        if (TextCopyPrefix(parent, sizeof parent, path, cut))
            CreateDirectoryPath(parent);
    }
    // Only a level created here gets the package's permissions; one that
    // already existed keeps its own.
    LPSECURITY_ATTRIBUTES attributes;
    if (!LogStep(FolderAttributes(&attributes) && CreateDirectoryA(path, attributes), "CreateDirectoryA", path, NULL))
        return 0;
    // The outermost level made, the first one made.
    if (!g_madeFolder[0])
        TextCopy(g_madeFolder, sizeof g_madeFolder, path);
    return 1;
}

void RemoveMadeFolders()
{
    char folder[CREATE_DIR_SIZE];
    unsigned made = TextLength(g_madeFolder);
    if (!made || !TextCopy(folder, sizeof folder, g_destDir))
        return;
    // From the destination up to the outermost level this setup made, each
    // only while it is empty.
    for (unsigned n = TextLength(folder); n > made && TextEndsWithBackslash(folder);) {
        folder[n - 1] = 0;
        if (!RemoveDirectoryA(folder))
            return;
        LogStep(1, "RemoveDirectoryA", folder, NULL);
        n = TextAfterLastBackslash(folder, 2);
        folder[n] = 0;
        if (n <= made)
            break;
    }
    g_madeFolder[0] = 0;
}

void ShowCopyStatus(const char* source, const char* dest)
{
    TextCopy(g_sourceText, sizeof g_sourceText, source);
    TextCopy(g_destText, sizeof g_destText, dest);
    if (!g_setupDialog)
        return;
    char status[STATUS_SIZE];
    if (TextCopy(status, sizeof status, "Copy ") && TextAppend(status, sizeof status, g_sourceText))
        SetWindowTextA(GetDlgItem(g_setupDialog, IDC_PROGRESS_GROUP), status);
}

void AdvanceProgress(DWORD kb)
{
    g_copiedKB += kb;
    if (g_setupDialog)
        SendMessageA(GetDlgItem(g_setupDialog, IDC_PROGRESS), PBM_SETPOS, ProgressPosition(g_copiedKB, g_neededKB), 0);
}

static void CopyOneFile(const char* name, void* context)
{
    CopyWalk* walk = (CopyWalk*)context;
    if (!walk->whole)
        return;
    char from[WALK_PATH_SIZE];
    char to[WALK_PATH_SIZE];
    // A file that cannot be named is not installed, and the install is not whole.
    if (!TextJoin(from, sizeof from, walk->source, name) || !TextJoin(to, sizeof to, walk->dest, name)) {
        walk->whole = LogFailure("does not fit:", name);
        return;
    }
    ShowCopyStatus(from, to);
    // A subfolder is not installed.
    DWORD attributes = GetFileAttributesA(from);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        walk->whole &= StageFile(from, to, name);
    Sleep(100);
    AdvanceProgress(FileSizeOf(from) >> 10);
}

int CopyTree(const char* source, const char* dest)
{
    char saved[SAVED_DIR_SIZE];
    int restore = SaveCurrentDirectory(saved);
    if (!SetCurrentDirectoryA(dest)) {
        char folder[CREATE_DIR_SIZE];
        if (TextCopy(folder, sizeof folder, dest)) {
            unsigned n = TextLength(folder);
            if (n > 0)
                folder[n - 1] = 0;          // the trailing backslash
            CreateDirectoryPath(folder);
        }
    }
    CopyWalk walk = { source, dest, SetCurrentDirectoryA(dest) != 0 };
    if (SetCurrentDirectoryA(source))
        ForEachEntry(CopyOneFile, &walk);
    else
        walk.whole = 0;
    if (restore)
        SetCurrentDirectoryA(saved);
    return walk.whole;
}

int CopySourceFiles()
{
    char source[COPY_ARG_SIZE];
    char dest[COPY_ARG_SIZE];
    if (!TextJoin(source, sizeof source, g_sourceDir, SZ_SRC_FILES) || !TextCopy(dest, sizeof dest, g_destDir))
        return LogFailure("does not fit:", g_destDir);
    return CopyTree(source, dest);
}
