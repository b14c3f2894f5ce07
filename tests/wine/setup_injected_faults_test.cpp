// Each system call an install step makes fails in turn: that step changes
// nothing, every later step still runs, no undocumented message appears,
// and setup's exit code says that the installation is not whole.
#include "setup_harness.h"
#include <functional>
#include <memory>
#include <objbase.h>
#include "support/fakeproc.h"

IAT_SLOT(CopyFileA);
IAT_SLOT(CreateDirectoryA);
IAT_SLOT(RegOpenKeyA);
IAT_SLOT(RegCreateKeyA);
IAT_SLOT(RegSetValueExA);
IAT_SLOT(OpenSCManagerA);
IAT_SLOT(CreateServiceA);
IAT_SLOT(CreateFileA);

namespace {

decltype(&CreateFileA) g_realCreateFile;

HRESULT WINAPI FailingCoCreateInstance(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*)
{
    return E_FAIL;
}

struct Outcome {
    bool files, run, uninstall, service, links, emptyLinks, agent;
};

struct Fault {
    const char* call;
    std::function<std::shared_ptr<void>()> arm;
    Outcome expected;
};

Outcome Observe(const SetupHarness& p)
{
    Outcome o{};
    o.files = FileExists(p.dest + "vorel12a.exe");
    o.run = !ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE).empty();
    o.uninstall = !ReadRegString(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP, SZ_DISPLAY_NAME).empty();
    o.service = QueryDriverService().exists;
    std::string links = LinkFolder();
    o.links = FilesIn(links).size() == 3;
    WIN32_FILE_ATTRIBUTE_DATA d;
    o.emptyLinks = GetFileAttributesExA((links + "\\Tandrel About.lnk").c_str(), GetFileExInfoStandard, &d) &&
                   d.nFileSizeLow == 0;
    o.agent = CallsTo("WinExec").size() == 1;
    return o;
}

std::string Describe(const Outcome& o)
{
    char b[160];
    snprintf(b, sizeof b, "files=%d run=%d uninstall=%d service=%d links=%d emptyLinks=%d agent=%d", o.files, o.run,
             o.uninstall, o.service, o.links, o.emptyLinks, o.agent);
    return b;
}

TEST(InstallFaults, EachFailingCallChangesOnlyItsOwnStep)
{
    const Outcome all{ true, true, true, true, true, false, true };
    std::vector<Fault> faults = {
        { "none", [] { return std::shared_ptr<void>(); }, all },
        { "CopyFileA", [] { return ArmHook<decltype(&CopyFileA)>(&iat_slot_CopyFileA, [](LPCSTR, LPCSTR, BOOL) -> BOOL { return FALSE; }); },
          { false, true, true, true, true, false, true } },
        { "CreateDirectoryA", [] { return ArmHook<decltype(&CreateDirectoryA)>(&iat_slot_CreateDirectoryA, [](LPCSTR, LPSECURITY_ATTRIBUTES) -> BOOL { return FALSE; }); },
          { false, true, true, true, false, false, true } },
        { "RegOpenKeyA", [] { return ArmHook<decltype(&RegOpenKeyA)>(&iat_slot_RegOpenKeyA, [](HKEY, LPCSTR, PHKEY) -> LONG { return ERROR_ACCESS_DENIED; }); },
          { true, false, true, true, true, false, true } },
        { "RegCreateKeyA", [] { return ArmHook<decltype(&RegCreateKeyA)>(&iat_slot_RegCreateKeyA, [](HKEY, LPCSTR, PHKEY) -> LONG { return ERROR_ACCESS_DENIED; }); },
          { true, true, false, true, true, false, true } },
        { "RegSetValueExA", [] { return ArmHook<decltype(&RegSetValueExA)>(&iat_slot_RegSetValueExA, [](HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) -> LONG { return ERROR_ACCESS_DENIED; }); },
          { true, false, false, true, true, false, true } },
        { "OpenSCManagerA", [] { return ArmHook<decltype(&OpenSCManagerA)>(&iat_slot_OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE { return NULL; }); },
          { true, true, true, false, true, false, true } },
        { "CreateServiceA", [] { return ArmHook<decltype(&CreateServiceA)>(&iat_slot_CreateServiceA, [](SC_HANDLE, LPCSTR, LPCSTR, DWORD, DWORD, DWORD, DWORD, LPCSTR, LPCSTR, LPDWORD, LPCSTR, LPCSTR, LPCSTR) -> SC_HANDLE {
              SetLastError(ERROR_ACCESS_DENIED);
              return NULL;
          }); },
          { true, true, true, false, true, false, true } },
        { "CoCreateInstance", [] { return FakeProc("CoCreateInstance", (FARPROC)(void*)FailingCoCreateInstance); },
          { true, true, true, true, true, true, true } },
        { "CreateFileA of a link (the probe)", [] {
              return ArmHook<decltype(&CreateFileA)>(&iat_slot_CreateFileA, [](LPCSTR n, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) -> HANDLE {
                  std::string name = n;
                  if (name.size() > 4 && name.substr(name.size() - 4) == ".lnk")
                      return INVALID_HANDLE_VALUE;
                  return g_realCreateFile(n, a, s, sa, d, f, t);
              }); },
          { true, true, true, true, false, false, true } },
    };
    for (const Fault& fault : faults) {
        SetupHarness p(NT4);
        p.AddFile("Files\\vorel12a.exe", 3000);
        p.AddFile("Files\\vorel12.htm", 1500);
        p.AddFile("Kernel\\vorel12s.sys", 4096);
        p.AddFile("Uninst\\vorel12u.exe", 2500);
        UnregisterClassA(SZ_SETUP_CLASS, GetModuleHandleA(NULL));
        Calls().clear();
        int code;
        {
            g_realCreateFile = (decltype(&CreateFileA))iat_slot_CreateFileA;
            std::shared_ptr<void> armed = fault.arm();
            code = p.Run("-s -d" + p.dest);
        }
        EXPECT_EQ(fault.call == std::string("none") ? 0 : ERROR_INSTALL_FAILURE, code) << fault.call;
        EXPECT_TRUE(CallsTo("MessageBoxA").empty()) << fault.call;
        EXPECT_EQ(Describe(fault.expected), Describe(Observe(p))) << "failing " << fault.call;
    }
}

}  // namespace
