#include "log.h"
#include "footprint.h"
#include "platform.h"
#include "text.h"

#define LOG_LINE_SIZE   1400
#define ERROR_TEXT_SIZE 300

HANDLE g_log;
// Lines that could not be written, told in the exit line.
static DWORD g_lostLines;

// LogStep's line, with after at its end.
static int Line(int ok, const char* what, const char* a, const char* b, const char* after)
{
    DWORD error = GetLastError();
    if (g_log) {
        char line[LOG_LINE_SIZE];
        SYSTEMTIME t;
        GetLocalTime(&t);
        // At most 1024 bytes come out of each wsprintfA.
        int n = wsprintfA(line, "%04u-%02u-%02u %02u:%02u:%02u.%03u %.100s %.300s%s%.600s", t.wYear, t.wMonth, t.wDay,
                          t.wHour, t.wMinute, t.wSecond, t.wMilliseconds, what, a, b ? " " : "", b ? b : "");
        if (ok != 1) {
            n += wsprintfA(line + n, ok ? "%lu: " : ": error %lu: ", error);
            n += FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, line + n,
                                ERROR_TEXT_SIZE, NULL);
            // The system's text ends in a line break of its own.
            while (line[n - 1] == '\n' || line[n - 1] == '\r')
                n--;
        }
        n += wsprintfA(line + n, "%s", after);
        line[n++] = '\r';
        line[n++] = '\n';
        DWORD written;
        if (!WriteFile(g_log, line, n, &written, NULL) || written != (DWORD)n)
            g_lostLines++;
    }
    SetLastError(error);
    return ok;
}

int LogStep(int ok, const char* what, const char* a, const char* b)
{
    return Line(ok, what, a, b, "");
}

int LogResult(LONG error, const char* what, const char* a, const char* b)
{
    SetLastError(error);
    return LogStep(error == ERROR_SUCCESS, what, a, b);
}

int LogFailure(const char* what, const char* a)
{
    LogStep(1, what, a, NULL);
    return 0;
}

void LogNumber(const char* what, DWORD n)
{
    char number[12];
    wsprintfA(number, "%lu", n);
    LogStep(1, what, number, NULL);
}

int StartLog(const char* path, int fits, const char* program, const char* tail, const char* refusal, int quiet)
{
    if (fits && !path[0])
        return 1;
    // Appends only, so that two runs that share a log never write over
    // each other's lines; the 9x family knows no such access. A second
    // name of another file, which someone else may have made, would have
    // this run write into that file.
    HANDLE file = INVALID_HANDLE_VALUE;
    BY_HANDLE_FILE_INFORMATION info;
    if (fits)
        file = CreateFileA(path, IsNtPlatform() ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, NULL);
    if (file != INVALID_HANDLE_VALUE && (!GetFileInformationByHandle(file, &info) || info.nNumberOfLinks > 1)) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    if (file == INVALID_HANDLE_VALUE) {
        if (!quiet)
            MessageBoxA(NULL, path, refusal, MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
        return 0;
    }
    g_log = file;
    // The 9x family's handle starts at the first byte.
    SetFilePointer(file, 0, NULL, FILE_END);
    char line[LOG_LINE_SIZE];
    OSVERSIONINFOA v;
    ReadVersion(&v);
    // At most 1024 bytes come out.
    wsprintfA(line, "%s %s, Windows %s %lu.%lu:", program, SZ_VERSION,
              v.dwPlatformId == VER_PLATFORM_WIN32_NT ? "NT" : "9x", v.dwMajorVersion, v.dwMinorVersion);
    LogStep(1, "====", line, tail);
    return 1;
}

int LogExit(int code)
{
    // In the system's own words.
    SetLastError(code);
    char lost[48];
    lost[0] = 0;
    if (g_lostLines)
        wsprintfA(lost, " (%lu lines not written)", g_lostLines);
    Line(2, "exit code", "", NULL, lost);
    return code;
}

void EndLog()
{
    if (g_log)
        CloseHandle(g_log);
    g_log = NULL;
}
