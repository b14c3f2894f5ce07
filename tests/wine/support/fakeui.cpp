#include "fakeui.h"
#include "calllog.h"
#include <cstring>

static std::deque<int> g_answers;
static HWND* g_main;

void QueueAnswers(std::deque<int> answers)
{
    g_answers = answers;
}

void SetMainWindowForLog(HWND* main)
{
    g_main = main;
}

const char* OwnerName(HWND h)
{
    if (!h)
        return "NULL";
    return g_main && h == *g_main ? "main" : "other";
}

int WINAPI FakeMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    Record("MessageBoxA(owner=%s, %s, %s, flags=0x%x)", OwnerName(owner), Quote(text).c_str(), Quote(caption).c_str(),
           flags);
    if (g_answers.empty())
        return IDOK;
    int a = g_answers.front();
    g_answers.pop_front();
    return a;
}

UINT WINAPI FakeWinExec(LPCSTR cmd, UINT show)
{
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);
    Record("WinExec(%s, %u) in %s", Quote(cmd).c_str(), show, cwd);
    return 33;
}

HINSTANCE WINAPI FakeShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    Record("ShellExecuteA(owner=%s, %s, %s, %s, %s, %d)", OwnerName(owner), Quote(verb).c_str(), Quote(file).c_str(),
           Quote(params).c_str(), Quote(dir).c_str(), show);
    return (HINSTANCE)42;
}

BOOL WINAPI FakeShellNotifyIconA(DWORD message, PNOTIFYICONDATAA d)
{
    Record("Shell_NotifyIconA(%s, cbSize=%lu, hWnd=%s, uID=%u, uFlags=%u, uCallbackMessage=%u, hIcon=%s, szTip=%s)",
           message == NIM_ADD ? "NIM_ADD" : message == NIM_DELETE ? "NIM_DELETE" : "other", d->cbSize,
           OwnerName(d->hWnd), d->uID, d->uFlags, d->uCallbackMessage, d->hIcon ? "icon" : "NULL",
           Quote(d->szTip).c_str());
    return TRUE;
}

BOOL g_exitWindowsResult = TRUE;

BOOL WINAPI FakeExitWindowsEx(UINT flags, DWORD reason)
{
    Record("ExitWindowsEx(%u, %lu)", flags, reason);
    return g_exitWindowsResult;
}

BOOL WINAPI FakeSetSystemPowerState(BOOL suspend, BOOL force)
{
    Record("SetSystemPowerState(%d, %d)", suspend, force);
    return TRUE;
}

std::string g_fakeModulePath;

DWORD WINAPI FakeGetModuleFileNameA(HMODULE, LPSTR buf, DWORD size)
{
    const std::string& p = g_fakeModulePath;
    if (p.size() + 1 > size) {
        memcpy(buf, p.c_str(), size);
        if (size)
            buf[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(buf, p.c_str(), p.size() + 1);
    return (DWORD)p.size();
}

std::string g_fakeDirectory;

UINT WINAPI FakeDirectoryA(LPSTR buf, UINT size)
{
    Record("directory asked with room %u", size);
    UINT n = (UINT)g_fakeDirectory.size();
    if (n + 1 > size)
        return n + 1;            // needed size, buffer untouched
    memcpy(buf, g_fakeDirectory.c_str(), n + 1);
    return n;
}

ULONGLONG g_freeBytes;

BOOL WINAPI FakeFreeSpace(LPCSTR root, LPDWORD spc, LPDWORD bps, LPDWORD freeClusters, LPDWORD total)
{
    Record("GetDiskFreeSpaceA(%s)", Quote(root).c_str());
    // 1 KiB clusters, or 64 KiB ones so that 4 TiB and more fit the 32-bit cluster count.
    DWORD cluster = g_freeBytes >> 32 ? 65536 : 1024;
    *spc = cluster / 512;
    *bps = 512;
    *freeClusters = (DWORD)(g_freeBytes / cluster);
    *total = 0xFFFFFFFF;
    return TRUE;
}
