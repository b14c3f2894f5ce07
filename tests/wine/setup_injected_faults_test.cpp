// Each system call an install step makes fails in turn. Before every file
// is in place a failure takes back what this first install made; after it,
// the failing step changes nothing and every later step still runs. No
// undocumented message appears, and the exit code says the install is not whole.
#include "setup_harness.h"
#include <functional>
#include <memory>
#include <objbase.h>
#include "support/fakeproc.h"

namespace {

const char ITEMS[] = "folder files uninstaller entry run uninstall service links emptyLinks";

HRESULT WINAPI FailingCoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*)
{
    return E_FAIL;
}

struct Fault {
    const char* call;
    std::function<std::shared_ptr<void>()> arm;
    const char* expected;      // what is installed, of ITEMS and the agent started
};

TEST(InstallFaults, EachFailingCallChangesOnlyItsOwnStep)
{
    const char* all = "folder files uninstaller entry run uninstall service links agent";
    std::vector<Fault> faults = {
        { "none", [] { return std::shared_ptr<void>(); }, all },
        { "CopyFileA", [] { return ARM_HOOK(CopyFileA, [](LPCSTR, LPCSTR, BOOL) -> BOOL { return FALSE; }); },
          "" },
        { "CreateDirectoryA", [] { return ARM_HOOK(CreateDirectoryA, [](LPCSTR, LPSECURITY_ATTRIBUTES) -> BOOL { return FALSE; }); },
          "" },
        { "RegOpenKeyA", [] { return ARM_HOOK(RegOpenKeyA, [](HKEY, LPCSTR, PHKEY) -> LONG { return ERROR_ACCESS_DENIED; }); },
          "folder files uninstaller entry uninstall service links agent" },
        { "RegCreateKeyA", [] { return ARM_HOOK(RegCreateKeyA, [](HKEY, LPCSTR, PHKEY) -> LONG { return ERROR_ACCESS_DENIED; }); },
          "" },
        { "RegSetValueExA", [] { return ARM_HOOK(RegSetValueExA, [](HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) -> LONG { return ERROR_ACCESS_DENIED; }); },
          "" },
        { "OpenSCManagerA", [] { return ARM_HOOK(OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE { return NULL; }); },
          "folder files uninstaller entry run uninstall links agent" },
        { "CreateServiceA", [] { return ARM_HOOK(CreateServiceA, [](SC_HANDLE, LPCSTR, LPCSTR, DWORD, DWORD, DWORD, DWORD, LPCSTR, LPCSTR, LPDWORD, LPCSTR, LPCSTR, LPCSTR) -> SC_HANDLE {
              SetLastError(ERROR_ACCESS_DENIED);
              return NULL;
          }); },
          "folder files uninstaller entry run uninstall links agent" },
        { "CoCreateInstance", [] { return FakeProc("CoCreateInstance", (FARPROC)(void*)FailingCoCreateInstance); },
          "folder files uninstaller entry run uninstall service links emptyLinks agent" },
        { "CreateFileA of a link (the probe)", [] {
              return ARM_HOOK(CreateFileA, [](LPCSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) -> HANDLE {
                  std::string name = n;
                  if (name.size() > 4 && name.substr(name.size() - 4) == ".lnk")
                      return INVALID_HANDLE_VALUE;
                  return REAL(CreateFileA)(n, a, s, sa, d, f, t);
              }); },
          "folder files uninstaller entry run uninstall service agent" },
    };
    for (const Fault& fault : faults) {
        SetupHarness p(NT4);
        p.AddFile("Files\\vorel12a.exe", 3000);
        p.AddFile("Files\\vorel12.htm", 1500);
        p.AddFile("Kernel\\vorel12s.sys", 4096);
        p.AddFile("Uninst\\vorel12u.exe", 2500);
        int code;
        {
            std::shared_ptr<void> armed = fault.arm();
            code = p.Run("-s -d" + p.dest);
        }
        EXPECT_EQ(fault.call == std::string("none") ? 0 : ERROR_INSTALL_FAILURE, code) << fault.call;
        EXPECT_TRUE(CallsTo("MessageBoxA").empty()) << fault.call;
        std::string agent = CallsTo("WinExec").size() == 1 ? " agent" : "";
        EXPECT_EQ(fault.expected, FootprintPresent(p.dest, ITEMS) + agent) << "failing " << fault.call;
    }
}

}  // namespace
