// Each system call a removal step makes fails in turn: that step leaves its
// item, every later step still runs, only the two documented boxes appear,
// and the uninstaller exits with 3010 on the NT family.
#include "uninstall_harness.h"
#include <functional>
#include <memory>

IAT_SLOT(GetVersionExA);
IAT_SLOT(MessageBoxA);
IAT_SLOT(DeleteFileA);
IAT_SLOT(RemoveDirectoryA);
IAT_SLOT(RegOpenKeyA);
IAT_SLOT(RegDeleteKeyA);
IAT_SLOT(RegDeleteValueA);
IAT_SLOT(OpenSCManagerA);
IAT_SLOT(GetFileAttributesA);
IAT_SLOT(SendMessageTimeoutA);

namespace {

struct Left {
    bool files, folder, menu, run, uninstall, service, vorel12;
};

struct Fault {
    const char* call;
    std::function<std::shared_ptr<void>()> arm;
    Left expected;
};

Left Observe(const Installed& i)
{
    Left l{};
    l.files = FileExists(i.dest + "vorel12a.exe");
    l.folder = FolderExists(i.dest);
    l.menu = FolderExists(i.menu);
    l.run = !ReadRegString(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE).empty();
    l.uninstall = KeyExists(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY);
    SC_HANDLE scm = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE s = scm ? OpenServiceA(scm, SZ_SERVICE, SERVICE_QUERY_STATUS) : NULL;
    l.service = s != NULL;
    if (s)
        CloseServiceHandle(s);
    if (scm)
        CloseServiceHandle(scm);
    l.vorel12 = FolderExists(i.vorel12);
    return l;
}

std::string Describe(const Left& l)
{
    char b[160];
    snprintf(b, sizeof b, "files=%d folder=%d menu=%d run=%d uninstall=%d service=%d vorel12=%d", l.files, l.folder,
             l.menu, l.run, l.uninstall, l.service, l.vorel12);
    return b;
}

TEST(RemovalFaults, EachFailingCallLeavesOnlyItsOwnItem)
{
    std::vector<Fault> faults = {
        { "none", [] { return std::shared_ptr<void>(); }, { false, false, false, false, false, false, false } },
        { "DeleteFileA", [] { return ArmHook<decltype(&DeleteFileA)>(&iat_slot_DeleteFileA, [](LPCSTR) -> BOOL { return FALSE; }); },
          { true, true, true, false, false, false, true } },
        { "RemoveDirectoryA", [] { return ArmHook<decltype(&RemoveDirectoryA)>(&iat_slot_RemoveDirectoryA, [](LPCSTR) -> BOOL { return FALSE; }); },
          { false, true, true, false, false, false, true } },
        { "GetFileAttributesA", [] { return ArmHook<decltype(&GetFileAttributesA)>(&iat_slot_GetFileAttributesA, [](LPCSTR) -> DWORD { return INVALID_FILE_ATTRIBUTES; }); },
          { true, true, true, false, false, false, false } },
        { "RegOpenKeyA", [] { return ArmHook<decltype(&RegOpenKeyA)>(&iat_slot_RegOpenKeyA, [](HKEY, LPCSTR, PHKEY) -> LONG { return ERROR_ACCESS_DENIED; }); },
          { true, true, false, true, false, false, false } },
        { "RegDeleteValueA", [] { return ArmHook<decltype(&RegDeleteValueA)>(&iat_slot_RegDeleteValueA, [](HKEY, LPCSTR) -> LONG { return ERROR_ACCESS_DENIED; }); },
          { false, false, false, true, false, false, false } },
        { "RegDeleteKeyA", [] { return ArmHook<decltype(&RegDeleteKeyA)>(&iat_slot_RegDeleteKeyA, [](HKEY, LPCSTR) -> LONG { return ERROR_ACCESS_DENIED; }); },
          { false, false, false, false, true, false, false } },
        { "OpenSCManagerA", [] { return ArmHook<decltype(&OpenSCManagerA)>(&iat_slot_OpenSCManagerA, [](LPCSTR, LPCSTR, DWORD) -> SC_HANDLE { return NULL; }); },
          { false, false, false, false, false, true, false } },
        { "SendMessageTimeoutA (agent not answering)", [] { return ArmHook<decltype(&SendMessageTimeoutA)>(&iat_slot_SendMessageTimeoutA, [](HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR) -> LRESULT { return 0; }); },
          { false, false, false, false, false, false, false } },
    };
    IatHook<decltype(&GetVersionExA)> version{ &iat_slot_GetVersionExA, FakeGetVersionExA };
    IatHook<decltype(&MessageBoxA)> box{ &iat_slot_MessageBoxA, FakeMessageBoxA };
    SetFakeOs(NT4);
    for (const Fault& fault : faults) {
        Installed inst;
        QueueAnswers({ IDYES });
        Calls().clear();
        int code;
        {
            std::shared_ptr<void> armed = fault.arm();
            code = RunUninstaller();
        }
        Left left = Observe(inst);
        EXPECT_EQ(ERROR_SUCCESS_REBOOT_REQUIRED, code) << fault.call;
        std::vector<std::string> boxes = CallsTo("MessageBoxA");
        ASSERT_EQ(2u, boxes.size()) << fault.call;
        EXPECT_NE(std::string::npos, boxes[0].find("Do you really want to uninstall this program.")) << fault.call;
        EXPECT_NE(std::string::npos, boxes[1].find("All the Tandrel files are removed.")) << fault.call;
        EXPECT_EQ(Describe(fault.expected), Describe(left)) << "failing " << fault.call;
    }
}

}  // namespace
