// Message boxes answered by the test, and other calls that would need a
// person or leave the test: each recorded in the call log.
#ifndef TEST_FAKEUI_H
#define TEST_FAKEUI_H
#include <windows.h>
#include <shellapi.h>
#include <deque>
#include <string>

// Answers given to MessageBoxA in order; IDOK once they run out.
void QueueAnswers(std::deque<int> answers);
// Records "MessageBoxA(owner=..., text, caption, flags=0x..)". owner is
// "NULL", "main" when it is the program's main window (read through the
// pointer given to SetMainWindowForLog at the time of the call), else "other".
int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
void SetMainWindowForLog(HWND* main);
const char* OwnerName(HWND h);

// Records the command and the current directory: "WinExec(cmd, show) in dir".
UINT WINAPI FakeWinExec(LPCSTR cmd, UINT show);
HINSTANCE WINAPI FakeShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show);
BOOL WINAPI FakeShellNotifyIconA(DWORD message, PNOTIFYICONDATAA d);
extern BOOL g_exitWindowsResult;                 // TRUE unless a test refuses
BOOL WINAPI FakeExitWindowsEx(UINT flags, DWORD reason);
BOOL WINAPI FakeSetSystemPowerState(BOOL suspend, BOOL force);

// A drive with g_freeBytes free, whatever else the machine writes meanwhile;
// records "GetDiskFreeSpaceA(root)".
extern ULONGLONG g_freeBytes;
BOOL WINAPI FakeFreeSpace(LPCSTR root, LPDWORD spc, LPDWORD bps, LPDWORD freeClusters, LPDWORD total);

// The program's own path, cut off as the system does when it does not fit.
extern std::string g_fakeModulePath;
DWORD WINAPI FakeGetModuleFileNameA(HMODULE module, LPSTR buf, DWORD size);
// The system or Windows folder: g_fakeDirectory; records "directory asked
// with room N" and, when it does not fit, returns the size it needs.
extern std::string g_fakeDirectory;
UINT WINAPI FakeDirectoryA(LPSTR buf, UINT size);

#endif
