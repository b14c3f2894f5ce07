#include "cmdline.h"
#include "cmdtail.h"
#include "text.h"

int HasHelpSwitch(const char* text)
{
    unsigned len = TextLength(text);
    if (len < 2)
        return 0;
    for (unsigned i = 0; i + 1 < len; i++)
        if (text[i] == '-' && text[i + 1] == 'h')
            return 1;
    return 0;
}

int ParseCommandLine(const char* text, char* folder, unsigned cap, int* folderFits, char* log, int* logFits)
{
    *folderFits = 1;
    *logFits = 1;
    log[0] = 0;
    unsigned len = TextLength(text);
    if (len < 2 || text[0] != '-')
        return 0;
    int silent = 0;
    folder[0] = 0;
    unsigned used = 0;
    unsigned i = 0;
    while (i + 1 < len) {
        if (text[i] == '-' && text[i + 1] == 's') {
            silent = 1;
            i += 2;
        } else if (text[i] == '-' && text[i + 1] == 'd') {
            i = TakeOptionText(text, i + 2, folder, cap, &used, folderFits);
        } else if (text[i] == '-' && text[i + 1] == 'l') {
            // The last -l counts; one without a path names no log.
            unsigned taken = 0;
            *logFits = 1;
            i = TakeOptionText(text, i + 2, log, LOG_ARG_SIZE, &taken, logFits);
            *logFits &= taken != 0;
        } else {
            i++;
        }
    }
    if (!*folderFits)
        folder[0] = 0;
    return silent;
}

int DriveRoot(const char* text, char* root, unsigned cap)
{
    unsigned n = 0;
    while (text[n] && text[n] != '\\')
        n = TextNext(text, n);
    if (text[n] == '\\')
        n++;
    return TextCopyPrefix(root, cap, text, n);
}
