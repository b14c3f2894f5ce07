// The platform-family test and the privilege switch.
#include <gtest/gtest.h>
#include "platform.h"
#include "privilege.h"
#include "support/calllog.h"
#include "support/fakeversion.h"
#include "support/iathook.h"

IAT_SLOT(GetVersionExA);
IAT_SLOT(OpenProcessToken);
IAT_SLOT(LookupPrivilegeValueA);
IAT_SLOT(AdjustTokenPrivileges);

namespace {

TEST(IsNtPlatform, FollowsThePlatformIdAskedAfreshEachTime)
{
    HOOK(GetVersionExA, FakeGetVersionExA);
    SetFakeOs(WIN98);
    EXPECT_FALSE(IsNtPlatform());
    SetFakeOs(NT4);
    EXPECT_TRUE(IsNtPlatform());
    SetFakeOs({ 3, 4, 0 });             // neither family id: not NT
    EXPECT_FALSE(IsNtPlatform());
    std::vector<std::string> expected(3, "GetVersionExA(size=148)");
    EXPECT_EQ(expected, Calls());
}

TEST(IsNtPlatform, RealWineReportsTheNtFamily)
{
    EXPECT_TRUE(IsNtPlatform());
}

BOOL WINAPI FakeOpenToken(HANDLE, DWORD access, PHANDLE token)
{
    Record("OpenProcessToken(access=0x%lx)", access);
    *token = (HANDLE)0x1234;
    return TRUE;
}

BOOL WINAPI FakeLookup(LPCSTR system, LPCSTR name, PLUID luid)
{
    Record("LookupPrivilegeValueA(%s, %s)", system ? system : "NULL", name);
    luid->LowPart = 19;
    luid->HighPart = 0;
    return TRUE;
}

BOOL WINAPI FakeAdjust(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES tp, DWORD len, PTOKEN_PRIVILEGES prev, PDWORD ret)
{
    Record("AdjustTokenPrivileges(token=%p, disableAll=%d, count=%lu, luid=%lu, attributes=0x%lx, len=%lu, prev=%p, ret=%p)",
           token, disableAll, tp->PrivilegeCount, tp->Privileges[0].Luid.LowPart, tp->Privileges[0].Attributes, len,
           (void*)prev, (void*)ret);
    return TRUE;
}

TEST(SwitchPrivilege, PassesEnabledOrZeroForTheLookedUpPrivilege)
{
    HOOK(OpenProcessToken, FakeOpenToken);
    HOOK(LookupPrivilegeValueA, FakeLookup);
    HOOK(AdjustTokenPrivileges, FakeAdjust);
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1));
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0));
    std::vector<std::string> expected = {
        "OpenProcessToken(access=0x28)",
        "LookupPrivilegeValueA(NULL, SeShutdownPrivilege)",
        "AdjustTokenPrivileges(token=0000000000001234, disableAll=0, count=1, luid=19, attributes=0x2, len=0, prev=0000000000000000, ret=0000000000000000)",
        "OpenProcessToken(access=0x28)",
        "LookupPrivilegeValueA(NULL, SeShutdownPrivilege)",
        "AdjustTokenPrivileges(token=0000000000001234, disableAll=0, count=1, luid=19, attributes=0x0, len=0, prev=0000000000000000, ret=0000000000000000)",
    };
    EXPECT_EQ(expected, Calls());
}

TEST(SwitchPrivilege, ZeroWhenTheTokenCannotBeOpened)
{
    HOOK(OpenProcessToken, [](HANDLE, DWORD, PHANDLE) -> BOOL { return FALSE; });
    HOOK(AdjustTokenPrivileges, FakeAdjust);
    EXPECT_EQ(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1));
    EXPECT_TRUE(CallsTo("AdjustTokenPrivileges").empty());
}

TEST(SwitchPrivilege, ZeroWhenTheNameCannotBeLookedUp)
{
    HOOK(OpenProcessToken, FakeOpenToken);
    HOOK(AdjustTokenPrivileges, FakeAdjust);
    EXPECT_EQ(0, SwitchPrivilege("SeNoSuchPrivilege", 1));
    EXPECT_TRUE(CallsTo("AdjustTokenPrivileges").empty());
}

TEST(SwitchPrivilege, RealTokenAdjustsTheShutdownPrivilege)
{
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1));
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0));
}

}  // namespace
