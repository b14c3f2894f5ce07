// A package folder of the test's own, setup's view of the platform, and
// clean-up of everything an installation leaves in the prefix.
#ifndef TEST_SETUP_HARNESS_H
#define TEST_SETUP_HARNESS_H
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "footprint.h"
#include "setup.h"
#include "support/calllog.h"
#include "support/fakeui.h"
#include "support/fakeversion.h"
#include "support/iathook.h"
#include "support/scratch.h"

IAT_SLOT(GetVersionExA);
IAT_SLOT(MessageBoxA);
IAT_SLOT(GetModuleFileNameA);
IAT_SLOT(WinExec);
IAT_SLOT(ShellExecuteA);
IAT_SLOT(ExitWindowsEx);

std::string& FakeModulePath();
DWORD WINAPI FakeGetModuleFileNameA(HMODULE module, LPSTR buf, DWORD size);
UINT WINAPI FakeWinExec(LPCSTR cmd, UINT show);          // records the command and the current directory
HINSTANCE WINAPI FakeShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show);
BOOL WINAPI FakeExitWindowsEx(UINT flags, DWORD reason);   // returns g_exitWindowsResult
extern BOOL g_exitWindowsResult;

// Removes every item of the installation footprint from the prefix.
void RemoveFootprint(const std::string& dest);
std::string LinkFolder();
// The target path and description of a saved shell link; empty when it cannot be loaded.
std::pair<std::string, std::string> ReadLink(const std::string& lnk);
struct ServiceConfig {
    bool exists = false;
    DWORD type = 0, start = 0, error = 0;
    std::string path, display;
};
ServiceConfig QueryDriverService();

struct SetupHarness {
    ScratchDir root;
    std::string source;     // the package folder, with a trailing backslash
    IatHook<decltype(&GetVersionExA)> version{ &iat_slot_GetVersionExA, FakeGetVersionExA };
    IatHook<decltype(&MessageBoxA)> box{ &iat_slot_MessageBoxA, FakeMessageBoxA };
    IatHook<decltype(&GetModuleFileNameA)> module{ &iat_slot_GetModuleFileNameA, FakeGetModuleFileNameA };
    IatHook<decltype(&WinExec)> exec{ &iat_slot_WinExec, FakeWinExec };
    IatHook<decltype(&ShellExecuteA)> shell{ &iat_slot_ShellExecuteA, FakeShellExecuteA };
    IatHook<decltype(&ExitWindowsEx)> exitWindows{ &iat_slot_ExitWindowsEx, FakeExitWindowsEx };
    std::string dest;

    explicit SetupHarness(FakeOs os = WIN7);
    ~SetupHarness();
    // Files of the package: name under the package folder and size.
    void AddFile(const std::string& relative, size_t size);
    // Runs setup's entry with this command line; returns its exit code.
    int Run(const std::string& cmdline);
};

#endif
