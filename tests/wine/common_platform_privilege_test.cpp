// The platform-family test and the privilege switch.
#include <gtest/gtest.h>
#include "platform.h"
#include "privilege.h"
#include "support/calllog.h"
#include "support/fakeprivilege.h"
#include "support/fakeversion.h"
#include "support/iathook.h"

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

TEST(SwitchPrivilege, PassesEnabledOrZeroForTheLookedUpPrivilege)
{
    HOOK(OpenProcessToken, FakeOpenProcessToken);
    HOOK(LookupPrivilegeValueA, FakeLookupPrivilegeValueA);
    HOOK(AdjustTokenPrivileges, FakeAdjustTokenPrivileges);
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1));
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0));
    std::vector<std::string> expected = {
        "OpenProcessToken(access=0x28)",
        "LookupPrivilegeValueA(NULL, SeShutdownPrivilege)",
        "AdjustTokenPrivileges(attributes=0x2, token=0x1234, disableAll=0, count=1, luid=19, len=0, prev=0x0, ret=0x0)",
        "OpenProcessToken(access=0x28)",
        "LookupPrivilegeValueA(NULL, SeShutdownPrivilege)",
        "AdjustTokenPrivileges(attributes=0x0, token=0x1234, disableAll=0, count=1, luid=19, len=0, prev=0x0, ret=0x0)",
    };
    EXPECT_EQ(expected, Calls());
}

TEST(SwitchPrivilege, ZeroWhenTheTokenCannotBeOpened)
{
    g_fakeToken.opens = false;
    HOOK(OpenProcessToken, FakeOpenProcessToken);
    HOOK(AdjustTokenPrivileges, FakeAdjustTokenPrivileges);
    EXPECT_EQ(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1));
    EXPECT_TRUE(CallsTo("AdjustTokenPrivileges").empty());
}

TEST(SwitchPrivilege, ZeroWhenTheNameCannotBeLookedUp)
{
    g_fakeToken.looksUp = false;
    HOOK(OpenProcessToken, FakeOpenProcessToken);
    HOOK(LookupPrivilegeValueA, FakeLookupPrivilegeValueA);
    HOOK(AdjustTokenPrivileges, FakeAdjustTokenPrivileges);
    EXPECT_EQ(0, SwitchPrivilege("SeNoSuchPrivilege", 1));
    EXPECT_TRUE(CallsTo("AdjustTokenPrivileges").empty());
}

TEST(SwitchPrivilege, RealTokenAdjustsTheShutdownPrivilege)
{
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 1));
    EXPECT_NE(0, SwitchPrivilege(SZ_SHUTDOWN_PRIVILEGE, 0));
}

}  // namespace
