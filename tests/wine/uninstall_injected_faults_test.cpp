// Each system call a removal step makes fails in turn: that step leaves its
// item, every later step still runs, only the two documented boxes appear,
// and the uninstaller exits with 3010 on the NT family; a file that can be
// neither deleted nor left to the restart (nor one on a network), or a
// service that cannot be deleted, keeps what finds it again, and a marker
// that cannot be made keeps everything. The next run finishes what stays listed.
#include "uninstall_harness.h"
#include <functional>
#include <memory>

namespace {

const char ITEMS[] = "files folder menu run uninstall service vorel12";

struct Fault {
    const char* call;
    std::function<std::shared_ptr<void>()> arm;
    const char* expected;      // what is left, of ITEMS
    int code = ERROR_SUCCESS_REBOOT_REQUIRED;
    const char* done = "All the Tandrel files are removed.";
};

TEST(RemovalFaults, EachFailingCallLeavesOnlyItsOwnItem)
{
    std::vector<Fault> faults = {
        { "none", [] { return std::shared_ptr<void>(); }, "" },
        { "DeleteFileA", [] { return ARM_HOOK(DeleteFileA, [](LPCSTR) -> BOOL { return FALSE; }); },
          "files folder menu vorel12" },
        { "RemoveDirectoryA", [] { return ARM_HOOK(RemoveDirectoryA, [](LPCSTR) -> BOOL { return FALSE; }); },
          "folder menu vorel12" },
        { "GetFileAttributesA", [] { return ARM_HOOK(GetFileAttributesA, [](LPCSTR) -> DWORD { return INVALID_FILE_ATTRIBUTES; }); },
          "files folder menu" },
        { "RegOpenKeyA", [] { return ARM_HOOK(RegOpenKeyA, [](HKEY, LPCSTR, PHKEY) -> LONG { return ERROR_ACCESS_DENIED; }); },
          "files folder run" },
        { "RegDeleteValueA", [] { return ARM_HOOK(RegDeleteValueA, [](HKEY, LPCSTR) -> LONG { return ERROR_ACCESS_DENIED; }); },
          "run" },
        { "RegDeleteKeyA", [] { return ARM_HOOK(RegDeleteKeyA, [](HKEY, LPCSTR) -> LONG { return ERROR_ACCESS_DENIED; }); },
          "uninstall" },
        { "OpenSCManagerA", [] { return ARM_HOOK(OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE { return NULL; }); },
          "uninstall service", ERROR_INSTALL_FAILURE, "Some of the Tandrel files could not be removed." },
        // The service database held by another program past the wait, say.
        { "DeleteService", [] { return ARM_HOOK(DeleteService, [](SC_HANDLE) -> BOOL {
              SetLastError(ERROR_SERVICE_DATABASE_LOCKED);
              return FALSE;
          }); }, "uninstall service", ERROR_INSTALL_FAILURE, "Some of the Tandrel files could not be removed." },
        { "DeleteFileA and MoveFileExA", [] {
              auto del = ARM_HOOK(DeleteFileA, [](LPCSTR) -> BOOL { return FALSE; });
              auto move = ARM_HOOK(MoveFileExA, [](LPCSTR, LPCSTR, DWORD) -> BOOL { return FALSE; });
              return std::shared_ptr<void>(nullptr, [del, move](void*) {});
          }, "files folder menu run uninstall service vorel12", ERROR_INSTALL_FAILURE,
          "Some of the Tandrel files could not be removed." },
        // Without the marker nothing is removed: a deletion left to the
        // restart would take what a setup before it installs.
        { "CreateFileA (the marker)", [] { return ARM_HOOK(CreateFileA, [](LPCSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD f, HANDLE t) -> HANDLE {
              if (std::string(p).find("vorel12u.pending") != std::string::npos)
                  return SetLastError(ERROR_ACCESS_DENIED), INVALID_HANDLE_VALUE;
              return REAL(CreateFileA)(p, a, s, sa, d, f, t);
          }); }, ITEMS, ERROR_INSTALL_FAILURE, "Some of the Tandrel files could not be removed." },
        // The restart comes before the network: a file in use there stays.
        { "DeleteFileA on a network drive", [] {
              auto del = ARM_HOOK(DeleteFileA, [](LPCSTR) -> BOOL { return FALSE; });
              auto remote = ARM_HOOK(GetDriveTypeA, [](LPCSTR) -> UINT { return DRIVE_REMOTE; });
              return std::shared_ptr<void>(nullptr, [del, remote](void*) {});
          }, "files folder menu run uninstall vorel12", ERROR_INSTALL_FAILURE,
          "Some of the Tandrel files could not be removed." },
        { "SendMessageTimeoutA (agent not answering)", [] { return ARM_HOOK(SendMessageTimeoutA, [](HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR) -> LRESULT { return 0; }); },
          "" },
    };
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(MessageBoxA, FakeMessageBoxA);
    SetFakeOs(NT4);
    for (const Fault& fault : faults) {
        Installed inst;
        QueueAnswers({ IDYES });
        int code;
        {
            std::shared_ptr<void> armed = fault.arm();
            code = RunUninstaller();
        }
        std::string left = FootprintPresent(inst.dest, ITEMS);
        EXPECT_EQ(fault.code, code) << fault.call;
        std::vector<std::string> boxes = CallsTo("MessageBoxA");
        ASSERT_EQ(2u, boxes.size()) << fault.call;
        EXPECT_NE(std::string::npos, boxes[0].find("Do you really want to uninstall this program.")) << fault.call;
        EXPECT_NE(std::string::npos, boxes[1].find(fault.done)) << fault.call;
        EXPECT_EQ(fault.expected, left) << "failing " << fault.call;
        // What stays listed, the next run finishes; the restart, what it left to that.
        if (left.find("uninstall") == std::string::npos)
            continue;
        QueueAnswers({ IDYES });
        EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, RunUninstaller()) << "again after " << fault.call;
        EXPECT_EQ("", FootprintPresent(inst.dest, ITEMS)) << "again after " << fault.call;
    }
}

}  // namespace
