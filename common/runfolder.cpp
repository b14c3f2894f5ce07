#include "runfolder.h"
#include "footprint.h"
#include "text.h"

int FolderFromRunValue(const char* value, char* folder, unsigned cap)
{
    const unsigned name = sizeof SZ_AGENT_EXE - 1;
    unsigned n = TextLength(value);
    // Setup writes the path in quotes; earlier installs wrote it bare.
    unsigned start = value[0] == '"';
    if (start) {
        if (n < 2 || value[n - 1] != '"')
            n = 0;
        else
            n--;
    }
    int quoteInside = 0;
    for (unsigned i = start; i < n; i++)
        quoteInside |= value[i] == '"';
    // Cut after the last backslash (kept) at the path's second character or later.
    unsigned cut = n ? TextAfterLastBackslash(value, start + 1) : 0;
    // Setup writes the agent's path; any other program's path would name
    // that program's folder.
    if (quoteInside || cut == 0 || cut > n || n - cut != name || !TextSameStart(value + cut, SZ_AGENT_EXE, name)) {
        if (cap)
            folder[0] = 0;
        return 0;
    }
    return TextCopyPrefix(folder, cap, value + start, cut - start);
}

static int IsSlash(char c)
{
    return c == '\\' || c == '/';
}

// "X:\..." or "\\server\...", with either slash; "\\.\" and "\\?\" are
// device paths and not folders of a drive.
static int IsFullPath(const char* p)
{
    if ((unsigned)((p[0] | 0x20) - 'a') < 26 && p[1] == ':')
        return IsSlash(p[2]);
    return IsSlash(p[0]) && IsSlash(p[1]) && p[2] && !IsSlash(p[2]) && p[2] != '.' && p[2] != '?';
}

// Length without trailing backslashes.
static unsigned Trimmed(const char* s)
{
    unsigned n = 0;
    for (unsigned i = 0; s[i]; i = TextNext(s, i))
        if (s[i] != '\\')
            n = TextNext(s, i);
    return n;
}

static int IsRoot(const char* folder, unsigned n)
{
    if (n == 2 && folder[1] == ':')
        return 1;                                   // "C:\"
    if (folder[0] == '\\' && folder[1] == '\\') {   // "\\server\share\"
        unsigned separators = 0;
        for (unsigned i = 2; i < n; i = TextNext(folder, i))
            separators += folder[i] == '\\';
        return separators < 2;
    }
    return 0;
}

int IsFolderSafeToClear(const char* folder, const char* resolved, const char* windowsDir, const char* systemDir)
{
    if (!IsFullPath(folder) || !IsFullPath(resolved))
        return 0;
    unsigned n = Trimmed(resolved), w = Trimmed(windowsDir), s = Trimmed(systemDir);
    if (IsRoot(resolved, n) || !w || !s)            // no Windows or system folder to compare with: do not guess
        return 0;
    // Only a path in the form the system resolves to: a part that ends in a
    // dot or a blank resolves once more to another folder ("C:\windows.\" is
    // "C:\windows\"), and a slash or an empty part would slip past the
    // comparisons below.
    char p = 0;                 // the character before; 'x' for a double-byte one
    for (unsigned i = 0;; i = TextNext(resolved, i)) {
        char c = resolved[i];
        if (c == '/' || (i && (c == '\\' || !c) && (p == '.' || p == ' ' || (p == '\\' && c && i > 1))))
            return 0;
        if (!c)
            break;
        p = TextNext(resolved, i) == i + 2 ? 'x' : c;
    }
    if ((n == w && TextSameStart(resolved, windowsDir, n)) || (n == s && TextSameStart(resolved, systemDir, n)))
        return 0;
    return !(n == s + 8 && TextSameStart(resolved, systemDir, s) && resolved[s] == '\\' &&
             TextSameStart(resolved + s + 1, "drivers", 7));
}

int EnumKeyName(unsigned n, char* out, unsigned cap)
{
    if (n > 99)
        return 0;
    char digits[5] = { '0', '0', (char)('0' + n / 10), (char)('0' + n % 10), 0 };
    return TextCopy(out, cap, SZ_ENUM_KEY_PREFIX) && TextAppend(out, cap, digits);
}
