#include "installpaths.h"
#include "footprint.h"
#include "text.h"

// The longest names joined to each folder in a STEP_PATH_SIZE buffer.
static_assert(sizeof SZ_SRC_DRIVER == sizeof SZ_SRC_UNINSTALLER, "the driver and uninstaller sources are equally long");
static const unsigned SOURCE_TAIL = sizeof SZ_SRC_UNINSTALLER - 1;
// The Run value holds the agent's path in quotes.
static const unsigned DEST_TAIL = sizeof SZ_AGENT_EXE - 1 + 2;

static int IsForbidden(unsigned char c, unsigned at)
{
    if (c < ' ')
        return 1;
    if (c == ':')
        return at != 1;         // only the drive's
    // '/' too: the folder is created level by level at backslashes only.
    for (const char* f = "\"*<>?|/"; *f; f++)
        if (c == (unsigned char)*f)
            return 1;
    return 0;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9, with or without an
// extension, name devices, not folders.
static int IsDeviceName(const char* name, unsigned length)
{
    unsigned base = 0;
    while (base < length && name[base] != '.')
        base++;
    static const char* const names[] = { "CON", "PRN", "AUX", "NUL", "COM", "LPT" };
    for (unsigned k = 0; k < 6; k++) {
        if (base < 3 || !TextSameStart(name, names[k], 3))
            continue;
        if (base == 3 && k < 4)
            return 1;
        if (base == 4 && k >= 4 && name[3] >= '1' && name[3] <= '9')
            return 1;
    }
    return 0;
}

int InstallFoldersFit(const char* source, const char* dest)
{
    if (!source[0] || TextLength(source) + SOURCE_TAIL >= STEP_PATH_SIZE)
        return 0;
    if (!TextEndsWithBackslash(dest) || TextLength(dest) + DEST_TAIL >= STEP_PATH_SIZE)
        return 0;
    unsigned backslashes = 0, nameStart = 0;
    // prev is the last single-byte character; a double-byte one counts as
    // none of the characters checked here, whatever its trail byte.
    char prev = 0;
    for (unsigned i = 0, next; dest[i]; i = next) {
        next = TextNext(dest, i);
        if (next == i + 2) {
            prev = 'x';
            continue;
        }
        if (IsForbidden((unsigned char)dest[i], i))
            return 0;
        if (dest[i] == '\\') {
            backslashes++;
            // No empty name; none ending in a blank or a dot, which
            // CreateDirectoryA drops, so that the files would go to a
            // folder that does not exist (and "." and ".." would make the
            // Run value name another folder than the one installed); no
            // device name.
            if (i >= 2 && (prev == '\\' || prev == ' ' || prev == '.'))
                return 0;
            if (i > nameStart && IsDeviceName(dest + nameStart, i - nameStart))
                return 0;
            nameStart = i + 1;
        }
        prev = dest[i];
    }
    unsigned char drive = (unsigned char)(dest[0] | 0x20);
    if (drive >= 'a' && drive <= 'z' && dest[1] == ':' && dest[2] == '\\')
        return 1;
    // "\\server\share\": two names after the two leading backslashes.
    return dest[0] == '\\' && dest[1] == '\\' && backslashes >= 4;
}
