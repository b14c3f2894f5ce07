#include "cmdtail.h"
#include "text.h"

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

unsigned TakeOptionText(const char* text, unsigned i, char* buf, unsigned cap, unsigned* used, int* fits)
{
    unsigned len = TextLength(text);
    unsigned j = i;
    while (j < len && !(text[j] == ' ' && text[j + 1] == '-'))
        j++;
    for (; i < j; i++) {
        // A quote is never part of a Windows path: launchers put them
        // around a path with blanks, or around the whole option.
        if (text[i] == '"')
            continue;
        if (*used + 1 >= cap) {
            *fits = 0;
            break;
        }
        buf[(*used)++] = text[i];
    }
    buf[*used] = 0;
    return j;
}

int ParseRemovalTail(const char* tail, char* log, unsigned cap, int* logFits)
{
    int silent = 0;
    unsigned used = 0;
    *logFits = 1;
    log[0] = 0;
    for (unsigned i = 0; tail[i];) {
        char c = tail[i];
        char letter = (char)(tail[i + 1] | 0x20);
        char after = tail[i + 1] ? tail[i + 2] : 0;
        if (c == ' ' || c == '\t' || c == '"') {
            // A quote around a whole option ("-lC:\My Logs\x.log") is no part of it.
            i++;
        } else if (c == '-' && tail[i + 1] == 'l') {
            used = 0;
            *logFits = 1;
            i = TakeOptionText(tail, i + 2, log, cap, &used, logFits);
            *logFits &= used != 0;
        } else if ((c == '-' || c == '/') && letter == 's' && !silent && (!after || after == ' ' || after == '\t')) {
            silent = 1;
            i += 2;
        } else {
            // Anything else is no command line of the uninstaller's.
            return 0;
        }
    }
    return silent;
}
