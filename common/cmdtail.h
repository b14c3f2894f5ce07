#ifndef TANDREL_CMDTAIL_H
#define TANDREL_CMDTAIL_H

// The command line without the program name and the blanks after it. The
// name may be quoted ("C:\My Tools\setup.exe" -s) or bare (setup.exe -s).
const char* SkipProgramName(const char* cmdline);
// Appends the text of an option, from text[i] up to the first blank that is
// followed by '-', without double quotes, to buf (cap bytes, *used of them
// taken). *fits becomes 0 when it did not fit. Returns where the text ends.
unsigned TakeOptionText(const char* text, unsigned i, char* buf, unsigned cap, unsigned* used, int* fits);
// The uninstaller's command line: 1 when it is the switch "-s" or "/s" (s in
// either case), apart from a "-l" with the log's path, which goes into log;
// blanks and quotes around them allowed. The path of the last -l counts;
// *logFits is 0 when it did not fit (log keeps what fit, to be shown, never
// opened) or is empty. The path ends at a blank followed by '-': "/s" goes
// before a -l. Anything else gives 0.
int ParseRemovalTail(const char* tail, char* log, unsigned cap, int* logFits);

#endif
