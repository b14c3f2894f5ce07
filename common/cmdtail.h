#ifndef TANDREL_CMDTAIL_H
#define TANDREL_CMDTAIL_H

// The command line without the program name and the blanks after it. The
// name may be quoted ("C:\My Tools\setup.exe" -s) or bare (setup.exe -s).
const char* SkipProgramName(const char* cmdline);

// What ReadOptions found on a line.
#define OPTION_SILENT  1
#define OPTION_FOLDER  2
#define OPTION_LOG     4
#define OPTION_UNKNOWN 8

// Which program's options ReadOptions reads.
#define OPTIONS_SETUP   0
// The uninstaller's: '/' begins an option as '-' does, the letters count in
// either case, and every token that is not -s or -l is unknown.
#define OPTIONS_REMOVAL 1

// Reads the options of tail, token by token. A token starts at the line's
// start or after a blank outside double quotes; a quoted stretch belongs to
// its token, blanks and dashes included, and the quotes are no part of its
// text. -s stands alone in its token. -d and -l take the rest of their
// token; one without quotes runs on, blanks included, up to the next blank
// followed by an option's start. A -l that ends its token takes the next
// one, unless that is an option. Setup's line has options only when its
// first token starts with '-'; setup ignores tokens it does not know.
// Every -d text is appended to folder (folderCap bytes; NULL for the
// uninstaller); *folderFits is 0 when they did not fit, and folder is then
// empty. The last -l's path goes into log (logCap bytes); *logFits is 0 when
// it is empty or did not fit (log keeps what fit, to be shown, never
// opened). The first unknown token goes into unknown (unknownCap bytes, cut
// to fit: it is only shown) unless that is NULL. Returns the OPTION_ bits.
int ReadOptions(const char* tail, int program, char* folder, unsigned folderCap, int* folderFits, char* log,
                unsigned logCap, int* logFits, char* unknown, unsigned unknownCap);

#endif
