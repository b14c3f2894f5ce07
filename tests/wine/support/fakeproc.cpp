#include "fakeproc.h"
#include <string>
#include "iathook.h"

static std::string g_name;
static FARPROC g_fn;

static FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && g_name == name)
        return g_fn;
    return REAL(GetProcAddress)(module, name);
}

std::shared_ptr<void> FakeProc(const char* name, FARPROC fn)
{
    auto hook = ARM_HOOK(GetProcAddress, FakeGetProcAddress);
    g_name = name;
    g_fn = fn;
    return hook;
}
