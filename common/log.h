// The log that setup and the uninstaller write with -l: one line for every
// call that changes something and for each decision, each with the local
// time to the millisecond, on the disk before the next step, appended to
// what earlier runs wrote.
#ifndef TANDREL_LOG_H
#define TANDREL_LOG_H
#include <windows.h>

// The longest log path that -l takes.
#define LOG_PATH_SIZE 260

// Null without -l: nothing is written.
extern HANDLE g_log;

// One line: what, a, then b where it is not null. With ok 0 the line
// ends with the last error's number and the system's text for it; with ok
// 2 the number and the text follow what and a directly. Returns ok; the
// last error is kept.
int LogStep(int ok, const char* what, const char* a, const char* b);
// LogStep for a call that returns its error (the registry's): 1 when it is
// ERROR_SUCCESS. The error becomes the last error.
int LogResult(LONG error, const char* what, const char* a, const char* b);
// A line for a failure without a Windows call behind it (a path that does
// not fit, a full record): what and a, no error number. Returns 0.
int LogFailure(const char* what, const char* a);
// A line of what and a number.
void LogNumber(const char* what, DWORD n);
// Without -l (path empty, fits 1) nothing. Otherwise opens the log and
// writes the run's first line: program, version, Windows, command line
// (tail). 0 when the path did not fit or cannot be written; then, unless
// quiet, a box shows the path under the caption refusal.
int StartLog(const char* path, int fits, const char* program, const char* tail, const char* refusal, int quiet);
// The last line: the exit code, how many lines before could not be
// written, and the system's text for the code.
int LogExit(int code);
// No more lines from this run.
void EndLog();

#endif
