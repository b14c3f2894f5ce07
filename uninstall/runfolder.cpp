#include "runfolder.h"
#include "footprint.h"
#include "text.h"

int FolderFromRunValue(const char* value, char* folder, unsigned cap)
{
    unsigned n = TextLength(value);
    unsigned cut = 0;
    for (unsigned i = n; i > 1; i--) {
        if (value[i - 1] == '\\') {
            cut = i;            // keep the backslash
            break;
        }
    }
    if (cut == 0) {
        if (cap)
            folder[0] = 0;
        return 0;
    }
    return TextCopyPrefix(folder, cap, value, cut);
}

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

// Equal without regard to ASCII case or one trailing backslash on either side.
static int SameFolder(const char* a, const char* b)
{
    unsigned la = TextLength(a), lb = TextLength(b);
    if (la && a[la - 1] == '\\')
        la--;
    if (lb && b[lb - 1] == '\\')
        lb--;
    if (la != lb)
        return 0;
    for (unsigned i = 0; i < la; i++)
        if (Lower(a[i]) != Lower(b[i]))
            return 0;
    return 1;
}

static int IsRoot(const char* folder)
{
    unsigned n = TextLength(folder);
    while (n && folder[n - 1] == '\\')
        n--;
    if (n == 0)
        return 1;                                   // "\" or "\\": the current drive's root
    if (n == 2 && folder[1] == ':')
        return 1;                                   // "C:\"
    if (folder[0] == '\\' && folder[1] == '\\') {   // "\\server\share\"
        unsigned separators = 0;
        for (unsigned i = 2; i < n; i++)
            separators += folder[i] == '\\';
        return separators < 2;
    }
    return 0;
}

int IsFolderSafeToClear(const char* folder, const char* windowsDir, const char* systemDir)
{
    if (!folder[0] || IsRoot(folder))
        return 0;
    if (!windowsDir[0] || !systemDir[0])
        return 0;                                   // nothing to compare with: do not guess
    return !SameFolder(folder, windowsDir) && !SameFolder(folder, systemDir);
}

int EnumKeyName(unsigned n, char* out, unsigned cap)
{
    if (n > 99)
        return 0;
    char digits[5] = { '0', '0', (char)('0' + n / 10), (char)('0' + n % 10), 0 };
    return TextCopy(out, cap, SZ_ENUM_KEY_PREFIX) && TextAppend(out, cap, digits);
}
