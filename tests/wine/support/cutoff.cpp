#include "cutoff.h"
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <vector>
#include "iathook.h"

namespace {

int g_cutAt;
int g_changes;
DWORD g_cutThread;
// The service database lock and the service manager's handles that the
// run holds, which the end of its process releases.
SC_LOCK g_heldLock;
std::set<SC_HANDLE> g_openServices;

SC_HANDLE Opened(SC_HANDLE h)
{
    if (h && GetCurrentThreadId() == g_cutThread)
        g_openServices.insert(h);
    return h;
}

const char* g_cutCall = "";
// What each slot held before the cut's hook: a fault that a test put there
// still acts beneath it.
std::map<std::string, void*> g_under;

void* Under(const char* name)
{
    return g_under[name];
}

void Change(const char* call)
{
    if (GetCurrentThreadId() == g_cutThread && ++g_changes == g_cutAt) {
        g_cutCall = call;
        ExitThread(0);
    }
}

bool Creates(DWORD disposition)
{
    return disposition != OPEN_EXISTING;
}

// 1 when the run came to its end, 0 (ExitThread's) when it was cut.
DWORD WINAPI RunToEnd(LPVOID fn)
{
    (*(const std::function<void()>*)fn)();
    return 1;
}

}  // namespace

#define CUT(fn) [](auto... a) { Change(#fn); return reinterpret_cast<decltype(&fn)>(Under(#fn))(a...); }
#define ARM_CUT(fn) \
    if (IsImported(#fn)) { \
        g_under[#fn] = *ImportSlot(#fn); \
        hooks.push_back(ARM_HOOK(fn, CUT(fn))); \
    }

bool RunCutAt(int k, const std::function<void()>& fn)
{
    std::vector<std::shared_ptr<void>> hooks;
    ARM_CUT(CopyFileA);
    ARM_CUT(MoveFileA);
    ARM_CUT(MoveFileExA);
    ARM_CUT(DeleteFileA);
    ARM_CUT(CreateDirectoryA);
    ARM_CUT(RemoveDirectoryA);
    ARM_CUT(SetFileAttributesA);
    ARM_CUT(WritePrivateProfileSectionA);
    ARM_CUT(RegSetValueExA);
    ARM_CUT(RegDeleteValueA);
    ARM_CUT(RegDeleteKeyA);
    ARM_CUT(RegCreateKeyA);
    ARM_CUT(CreateServiceA);
    ARM_CUT(DeleteService);
    if (IsImported("CreateFileA")) {
        g_under["CreateFileA"] = *ImportSlot("CreateFileA");
        hooks.push_back(ARM_HOOK(CreateFileA, [](LPCSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) {
            if (Creates(d))
                Change("CreateFileA");
            return reinterpret_cast<decltype(&CreateFileA)>(Under("CreateFileA"))(n, a, s, sa, d, f, t);
        }));
    }
    if (IsImported("LockServiceDatabase")) {
        hooks.push_back(ARM_HOOK(LockServiceDatabase, [](SC_HANDLE m) {
            SC_LOCK lock = REAL(LockServiceDatabase)(m);
            if (GetCurrentThreadId() == g_cutThread)
                g_heldLock = lock;
            return lock;
        }));
        hooks.push_back(ARM_HOOK(UnlockServiceDatabase, [](SC_LOCK lock) {
            if (lock == g_heldLock)
                g_heldLock = NULL;
            return REAL(UnlockServiceDatabase)(lock);
        }));
    }
    if (IsImported("OpenServiceA")) {
        hooks.push_back(ARM_HOOK(OpenSCManagerA, [](LPCSTR m, LPCSTR d, DWORD a) { return Opened(REAL(OpenSCManagerA)(m, d, a)); }));
        hooks.push_back(ARM_HOOK(OpenServiceA, [](SC_HANDLE m, LPCSTR n, DWORD a) { return Opened(REAL(OpenServiceA)(m, n, a)); }));
        hooks.push_back(ARM_HOOK(CloseServiceHandle, [](SC_HANDLE h) {
            g_openServices.erase(h);
            return REAL(CloseServiceHandle)(h);
        }));
    }
    g_cutAt = k;
    g_cutCall = "";
    g_changes = 0;
    const std::function<void()>* run = &fn;
    HANDLE thread = CreateThread(NULL, 0, RunToEnd, (LPVOID)run, CREATE_SUSPENDED, &g_cutThread);
    ResumeThread(thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 120000));
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    g_cutThread = 0;
    if (g_heldLock)
        UnlockServiceDatabase(g_heldLock);
    g_heldLock = NULL;
    // An open service handle keeps a service marked for deletion.
    std::set<SC_HANDLE> open;
    open.swap(g_openServices);
    for (SC_HANDLE h : open)
        CloseServiceHandle(h);
    return code == 0;
}

const char* CutCall()
{
    return g_cutCall;
}

int ChangesSoFar()
{
    return g_changes;
}

DWORD RunBuiltProgram(const char* name, const std::string& args)
{
    // The tests lie in tests\wine\ of the build folder, the programs at its top.
    char self[MAX_PATH];
    DWORD n = REAL(GetModuleFileNameA)(NULL, self, sizeof self);     // setup's tests fake it
    std::string path = std::string(self, n);
    path = path.substr(0, path.rfind('\\'));
    path = path.substr(0, path.rfind('\\'));
    path = path.substr(0, path.rfind('\\') + 1) + name;
    std::string command = "\"" + path + "\" " + args;
    STARTUPINFOA si = { sizeof si };
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << command;
        return (DWORD)-1;
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000)) << command;
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

void CarryOutRestart()
{
    const char* key = "System\\CurrentControlSet\\Control\\Session Manager";
    HKEY session;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, key, &session) != ERROR_SUCCESS)
        return;
    std::vector<char> list(65536);
    DWORD size = (DWORD)list.size() - 2;
    if (RegQueryValueExA(session, "PendingFileRenameOperations", NULL, NULL, (BYTE*)list.data(), &size) == ERROR_SUCCESS) {
        // Pairs of "\??\source" and "" (delete) or "[!]\??\target" (move).
        auto plain = [](std::string s) {
            if (!s.empty() && s[0] == '!')
                s = s.substr(1);
            return s.compare(0, 4, "\\??\\") == 0 ? s.substr(4) : s;
        };
        for (const char* p = list.data(); *p;) {
            std::string source = plain(p);
            p += strlen(p) + 1;
            std::string target = plain(p);
            p += strlen(p) + 1;
            if (target.empty()) {
                if (!DeleteFileA(source.c_str()))
                    RemoveDirectoryA(source.c_str());
            } else {
                MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
            }
        }
        RegDeleteValueA(session, "PendingFileRenameOperations");
    }
    RegCloseKey(session);
}
