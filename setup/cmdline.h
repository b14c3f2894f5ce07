// Setup's command line, without system calls.
#ifndef SETUP_CMDLINE_H
#define SETUP_CMDLINE_H

#define FOLDER_ARG_SIZE 180
#define LOG_ARG_SIZE    260
// ERROR_INVALID_COMMAND_LINE, without the system's headers.
#define ERROR_INVALID_COMMAND_LINE_CODE 1639

// True when "-h" stands anywhere in a text of two or more characters.
int HasHelpSwitch(const char* text);
// Setup's exit code in help mode, given ReadOptions' result: a line that
// also asks for an install or a log learns that none was made.
int HelpModeExit(int options);
// The text up to and including its first backslash, or the whole text.
int DriveRoot(const char* text, char* root, unsigned cap);

#endif
