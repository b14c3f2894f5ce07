#include "cmdline.h"
#include "cmdtail.h"
#include "text.h"

int HasHelpSwitch(const char* text)
{
    for (; *text; text++)
        if (text[0] == '-' && text[1] == 'h')
            return 1;
    return 0;
}

int HelpModeExit(int options)
{
    return options & (OPTION_SILENT | OPTION_FOLDER | OPTION_LOG) ? ERROR_INVALID_COMMAND_LINE_CODE : 0;
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
