#include "cmdline.h"
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

int ParseCommandLine(const char* text, char* folder, unsigned cap, int* folderFits)
{
    *folderFits = 1;
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
            // The folder runs to the first blank that is followed by '-'.
            unsigned j = i + 2;
            while (j < len && !(text[j] == ' ' && text[j + 1] == '-'))
                j++;
            for (unsigned k = i + 2; k < j; k++) {
                // A quote is never part of a Windows path: launchers put
                // them around a folder with blanks, or around the whole -d.
                if (text[k] == '"')
                    continue;
                if (used + 1 >= cap) {
                    *folderFits = 0;
                    break;
                }
                folder[used++] = text[k];
            }
            i = j;
        } else {
            i++;
        }
    }
    folder[used] = 0;
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
