// Setup's command line, without system calls.
#ifndef SETUP_CMDLINE_H
#define SETUP_CMDLINE_H

#define FOLDER_ARG_SIZE 180
#define LOG_ARG_SIZE    260

// True when "-h" stands anywhere in a text of two or more characters.
int HasHelpSwitch(const char* text);
// Returns 1 when -s is present. Appends the text of every -d, without its
// double quotes, to folder (a buffer of cap bytes); *folderFits is 0 when
// those texts did not fit, and folder is then empty. The text of the last
// -l goes into log (LOG_ARG_SIZE bytes) in the same way, with *logFits
// (also 0 for a -l without a path); a log that does not fit keeps what fit,
// to be shown, never opened. A
// text not starting with '-' leaves folder untouched and log empty.
int ParseCommandLine(const char* text, char* folder, unsigned cap, int* folderFits, char* log, int* logFits);
// The text up to and including its first backslash, or the whole text.
int DriveRoot(const char* text, char* root, unsigned cap);

#endif
