#ifndef TANDREL_CMDTAIL_H
#define TANDREL_CMDTAIL_H

// The command line without the program name and the blanks after it. The
// name may be quoted ("C:\My Tools\setup.exe" -s) or bare (setup.exe -s).
const char* SkipProgramName(const char* cmdline);
// Whether the tail is exactly the switch "-x" or "/x" (x in either case),
// blanks around it allowed.
int TailIsSwitch(const char* tail, char letter);

#endif
