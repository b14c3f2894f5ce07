#include "cmdtail.h"

const char* SkipProgramName(const char* p)
{
    if (*p == '"') {
        p++;
        while (*p && *p != '"')
            p++;
        if (*p == '"')
            p++;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            p++;
    }
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

int TailIsSwitch(const char* tail, char letter)
{
    while (*tail == ' ' || *tail == '\t')
        tail++;
    if ((tail[0] != '-' && tail[0] != '/') || (tail[1] | 0x20) != letter)
        return 0;
    tail += 2;
    while (*tail == ' ' || *tail == '\t')
        tail++;
    return !*tail;
}
