#include "setup_harness.h"
#include <objbase.h>
#include <shlobj.h>
#include "resource.h"

std::string& FakeModulePath()
{
    static std::string path;
    return path;
}

DWORD WINAPI FakeGetModuleFileNameA(HMODULE, LPSTR buf, DWORD size)
{
    const std::string& p = FakeModulePath();
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

UINT WINAPI FakeWinExec(LPCSTR cmd, UINT show)
{
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);
    Record("WinExec(%s, %u) in %s", Quote(cmd).c_str(), show, cwd);
    return 33;
}

HINSTANCE WINAPI FakeShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    Record("ShellExecuteA(owner=%s, %s, %s, %s, %s, %d)", owner ? "set" : "NULL", Quote(verb).c_str(),
           Quote(file).c_str(), Quote(params).c_str(), Quote(dir).c_str(), show);
    return (HINSTANCE)42;
}

BOOL g_exitWindowsResult = TRUE;

BOOL WINAPI FakeExitWindowsEx(UINT flags, DWORD reason)
{
    Record("ExitWindowsEx(%u, %lu)", flags, reason);
    return g_exitWindowsResult;
}

std::string LinkFolder()
{
    return ReadRegString(HKEY_CURRENT_USER, SZ_SHELL_FOLDERS_KEY, SZ_PROGRAMS_VALUE) + "\\Tandrel";
}

void RemoveFootprint(const std::string& dest)
{
    if (!dest.empty())
        DeleteTree(dest.substr(0, dest.size() - 1));
    DeleteTree(LinkFolder());
    DeleteFileA((SystemDir() + "\\vorel12u.exe").c_str());
    DeleteFileA((WindowsDir() + "\\System32\\Drivers\\vorel12s.sys").c_str());
    HKEY run;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, SZ_RUN_VALUE);
        RegCloseKey(run);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY);
    DeleteDriverServiceIfPresent();
}

std::pair<std::string, std::string> ReadLink(const std::string& lnk)
{
    std::pair<std::string, std::string> out;
    CoInitialize(NULL);
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return out;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char path[MAX_PATH] = "", desc[MAX_PATH] = "";
            link->GetPath(path, sizeof path, NULL, SLGP_RAWPATH);
            link->GetDescription(desc, sizeof desc);
            out = { path, desc };
        }
        file->Release();
    }
    link->Release();
    return out;
}

ServiceConfig QueryDriverService()
{
    ServiceConfig c;
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!scm)
        return c;
    SC_HANDLE s = OpenServiceA(scm, SZ_SERVICE, SERVICE_QUERY_CONFIG);
    if (s) {
        char buf[4096];
        QUERY_SERVICE_CONFIGA* q = (QUERY_SERVICE_CONFIGA*)buf;
        DWORD need;
        if (QueryServiceConfigA(s, q, sizeof buf, &need)) {
            c.exists = true;
            c.type = q->dwServiceType;
            c.start = q->dwStartType;
            c.error = q->dwErrorControl;
            c.path = q->lpBinaryPathName ? q->lpBinaryPathName : "";
            c.display = q->lpDisplayName ? q->lpDisplayName : "";
        }
        CloseServiceHandle(s);
    }
    CloseServiceHandle(scm);
    return c;
}


SetupHarness::SetupHarness(FakeOs os)
{
    SetFakeOs(os);
    source = root.Path() + "pkg\\";
    CreateDirectoryA(source.c_str(), NULL);
    for (const char* d : { "Files", "Kernel", "Uninst" })
        CreateDirectoryA((source + d).c_str(), NULL);
    FakeModulePath() = source + "setup.exe";
    dest = root.Path() + "dest\\Tandrel\\";
    RemoveFootprint("");
    g_instance = GetModuleHandleA(NULL);
}

SetupHarness::~SetupHarness()
{
    SetCurrentDirectoryA("C:\\");
    RemoveFootprint(dest);
}

void SetupHarness::AddFile(const std::string& relative, size_t size)
{
    WriteFileBytes(source + relative, size);
}

int SetupHarness::Run(const std::string& cmdline)
{
    std::string copy = cmdline;
    return WinMain(GetModuleHandleA(NULL), NULL, &copy[0], SW_SHOWNORMAL);
}
