#include "installpaths.h"
#include "footprint.h"
#include "text.h"

// The longest names joined to each folder in a STEP_PATH_SIZE buffer.
static_assert(sizeof SZ_SRC_DRIVER == sizeof SZ_SRC_UNINSTALLER, "the driver and uninstaller sources are equally long");
static const unsigned SOURCE_TAIL = sizeof SZ_SRC_UNINSTALLER - 1;
// The agent's command line has two more bytes, for its quotes.
static const unsigned DEST_TAIL = sizeof SZ_AGENT_EXE - 1;

static int IsForbidden(unsigned char c, unsigned at)
{
    if (c < ' ')
        return 1;
    if (c == ':')
        return at != 1;         // only the drive's
    for (const char* f = "\"*<>?|"; *f; f++)
        if (c == (unsigned char)*f)
            return 1;
    return 0;
}

int InstallFoldersFit(const char* source, const char* dest)
{
    if (!source[0] || TextLength(source) + SOURCE_TAIL >= STEP_PATH_SIZE)
        return 0;
    if (!TextEndsWithBackslash(dest) || TextLength(dest) + DEST_TAIL >= STEP_PATH_SIZE)
        return 0;
    unsigned backslashes = 0;
    for (unsigned i = 0; dest[i]; i++) {
        if (IsForbidden((unsigned char)dest[i], i))
            return 0;
        if (dest[i] == '\\') {
            backslashes++;
            // No empty name; and none ending in a blank, which
            // CreateDirectoryA drops, so that the files would go to a
            // folder that does not exist.
            if (i >= 2 && (dest[i - 1] == '\\' || dest[i - 1] == ' '))
                return 0;
        }
    }
    unsigned char drive = (unsigned char)(dest[0] | 0x20);
    if (drive >= 'a' && drive <= 'z' && dest[1] == ':' && dest[2] == '\\')
        return 1;
    // "\\server\share\": two names after the two leading backslashes.
    return dest[0] == '\\' && dest[1] == '\\' && backslashes >= 4;
}
