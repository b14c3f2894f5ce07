#include "folders.h"
#include "text.h"

int FolderWithSuffix(FolderFn get, char* buf, unsigned cap, const char* suffix)
{
    UINT room = cap - TextLength(suffix);
    TextZero(buf, cap);
    UINT n = get(buf, room);
    if (n > 0 && n < room && TextAppend(buf, cap, suffix))
        return 1;
    // A folder that did not fit may have left part of itself behind.
    buf[0] = 0;
    return 0;
}
