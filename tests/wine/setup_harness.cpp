#include "setup_harness.h"

SetupHarness::SetupHarness(FakeOs os)
{
    SetFakeOs(os);
    source = root.Path() + "pkg\\";
    CreateDirectoryA(source.c_str(), NULL);
    for (const char* d : { "Files", "Kernel", "Uninst" })
        CreateDirectoryA((source + d).c_str(), NULL);
    g_fakeModulePath = source + "setup.exe";
    dest = root.Path() + "dest\\Tandrel\\";
    RemoveFootprint();
    g_instance = GetModuleHandleA(NULL);
}

SetupHarness::~SetupHarness()
{
    RemoveFootprint(dest);
}

void SetupHarness::AddFile(const std::string& relative, size_t size)
{
    WriteFileBytes(source + relative, size);
}

int SetupHarness::Run(const std::string& cmdline)
{
    // A run before in the same case leaves its class, and in the dialog mode
    // its window for the exit.
    if (HWND left = FindWindowA(SZ_SETUP_CLASS, NULL))
        DestroyWindow(left);
    UnregisterClassA(SZ_SETUP_CLASS, GetModuleHandleA(NULL));
    Calls().clear();
    std::string copy = cmdline;
    return WinMain(GetModuleHandleA(NULL), NULL, &copy[0], SW_SHOWNORMAL);
}
