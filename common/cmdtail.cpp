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

static int IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Whether a token starts at text[i] with an option's first character, past
// its quotes.
static int OptionStarts(const char* text, unsigned i, int program)
{
    while (text[i] == '"')
        i++;
    return text[i] == '-' || (program == OPTIONS_REMOVAL && text[i] == '/');
}

// Appends c to buf, which has cap bytes, *used of them taken; 0 when it does
// not fit.
static int Put(char* buf, unsigned cap, unsigned* used, char c)
{
    if (!buf || *used + 1 >= cap)
        return 0;
    buf[(*used)++] = c;
    buf[*used] = 0;
    return 1;
}

// Appends the text of a value that starts at text[i] (inside quotes when
// quoted) to buf; *fits becomes 0 when it did not fit. A quote is never part
// of a Windows path: launchers put them around a path with blanks, or
// around the whole option. Returns where the value ends.
static unsigned TakeValue(const char* text, unsigned i, int quoted, int program, char* buf, unsigned cap,
                          unsigned* used, int* fits)
{
    int seen = quoted;
    for (; text[i]; i++) {
        if (text[i] == '"') {
            quoted = !quoted;
            seen = 1;
        } else if (!quoted && IsBlank(text[i]) && (seen || OptionStarts(text, i + 1, program))) {
            break;
        } else if (!Put(buf, cap, used, text[i])) {
            *fits = 0;
        }
    }
    return i;
}

int ReadOptions(const char* tail, int program, char* folder, unsigned folderCap, int* folderFits, char* log,
                unsigned logCap, int* logFits, char* unknown, unsigned unknownCap)
{
    int found = 0;
    unsigned folderUsed = 0;
    unsigned unknownUsed = 0;
    *folderFits = 1;
    *logFits = 1;
    if (folder)
        folder[0] = 0;
    log[0] = 0;
    if (unknown)
        unknown[0] = 0;
    for (unsigned i = 0;;) {
        while (IsBlank(tail[i]))
            i++;
        if (!tail[i])
            break;
        // The token's first two characters, past the quotes among them.
        char head[2] = { 0, 0 };
        unsigned start = i;
        int quoted = 0;
        for (unsigned n = 0; n < 2 && tail[i] && (quoted || !IsBlank(tail[i])); i++) {
            if (tail[i] == '"')
                quoted = !quoted;
            else
                head[n++] = tail[i];
        }
        int option = head[0] == '-' || (program == OPTIONS_REMOVAL && head[0] == '/');
        char letter = program == OPTIONS_REMOVAL ? (char)(head[1] | 0x20) : head[1];
        // Whether the token ends after its two characters.
        unsigned rest = i;
        int restQuoted = quoted;
        while (tail[rest] == '"') {
            restQuoted = !restQuoted;
            rest++;
        }
        int alone = !restQuoted && (!tail[rest] || IsBlank(tail[rest]));
        if (!option && !found && program == OPTIONS_SETUP)
            return 0;
        if (option && letter == 's' && alone) {
            found |= OPTION_SILENT;
            i = rest;
        } else if (option && letter == 'd' && program == OPTIONS_SETUP) {
            found |= OPTION_FOLDER;
            i = TakeValue(tail, i, quoted, program, folder, folderCap, &folderUsed, folderFits);
        } else if (option && letter == 'l') {
            // The last -l counts; one without a path names no log.
            found |= OPTION_LOG;
            unsigned used = 0;
            log[0] = 0;
            *logFits = 1;
            if (alone) {
                // -l PATH, as msiexec's /l is written.
                i = rest;
                while (IsBlank(tail[i]))
                    i++;
                quoted = 0;
                if (OptionStarts(tail, i, program)) {
                    *logFits = 0;
                    continue;
                }
            }
            i = TakeValue(tail, i, quoted, program, log, logCap, &used, logFits);
            *logFits &= used != 0;
        } else {
            // The first one's text, for a box that names it.
            int name = unknown && !(found & OPTION_UNKNOWN);
            found |= OPTION_UNKNOWN;
            for (i = start, quoted = 0; tail[i] && (quoted || !IsBlank(tail[i])); i++) {
                if (tail[i] == '"')
                    quoted = !quoted;
                else if (name)
                    Put(unknown, unknownCap, &unknownUsed, tail[i]);
            }
        }
    }
    if (!*folderFits && folder)
        folder[0] = 0;
    return found;
}
