#include <windows.h>
#include "walk.h"
#include "text.h"

void ForEachEntry(EntryFn fn, void* context)
{
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA("*.*", &fd);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!TextEqual(fd.cFileName, ".") && !TextEqual(fd.cFileName, ".."))
            fn(fd.cFileName, context);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}
