// A package folder of the test's own and setup's view of the platform; the
// footprint is removed before and after.
#ifndef TEST_SETUP_HARNESS_H
#define TEST_SETUP_HARNESS_H
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "footprint.h"
#include "setup.h"
#include "support/calllog.h"
#include "support/fakeui.h"
#include "support/fakeshell.h"
#include "support/fakeversion.h"
#include "support/iathook.h"
#include "support/installation.h"
#include "support/scratch.h"

struct SetupHarness {
    ScratchDir root;
    std::string source;     // the package folder, with a trailing backslash
    HOOK(GetVersionExA, FakeGetVersionExA);
    HOOK(MessageBoxA, FakeMessageBoxA);
    HOOK(GetModuleFileNameA, FakeGetModuleFileNameA);
    HOOK(WinExec, FakeWinExec);
    HOOK(ShellExecuteA, FakeShellExecuteA);
    HOOK(ExitWindowsEx, FakeExitWindowsEx);
    // No desktop shell answers unless a test says so.
    FakeShell shell;
    std::string dest;

    explicit SetupHarness(FakeOs os = WIN7);
    ~SetupHarness();
    // Files of the package: name under the package folder and size.
    void AddFile(const std::string& relative, size_t size);
    // Runs setup's entry with this command line, on an empty call log;
    // returns its exit code.
    int Run(const std::string& cmdline);
};

// A whole package: the help page, the agent, the VxD, the driver and the uninstaller.
struct Package : SetupHarness {
    explicit Package(FakeOs os) : SetupHarness(os)
    {
        AddFile("Files\\vorel12a.exe", 3000);
        AddFile("Files\\vorel12.htm", 1500);
        AddFile("Files\\vorel12v.vxd", 2048);
        AddFile("Kernel\\vorel12s.sys", 4096);
        AddFile("Uninst\\vorel12u.exe", 2500);
    }
    int Silent() { return Run("-s -d" + dest.substr(0, dest.size() - 1)); }   // typed without the backslash
};

#endif
