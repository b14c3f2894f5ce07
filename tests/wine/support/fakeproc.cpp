#include "fakeproc.h"
#include <string>
#include "iathook.h"

static std::string g_name;
static FARPROC g_fn;
static decltype(&GetProcAddress) g_real;

static FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && g_name == name)
        return g_fn;
    return g_real(module, name);
}

std::shared_ptr<void> FakeProc(const char* name, FARPROC fn)
{
    auto hook = std::make_shared<IatHook<decltype(&GetProcAddress)>>(&ImportSlot("GetProcAddress"), FakeGetProcAddress);
    g_real = hook->Original();
    g_name = name;
    g_fn = fn;
    return hook;
}
