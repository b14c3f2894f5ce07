#include "fakeproc.h"
#include <list>
#include <string>
#include "iathook.h"

// The names faked now, the latest first; one hook serves them all.
static std::list<std::pair<std::string, FARPROC>> g_faked;

static FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name))
        for (const auto& f : g_faked)
            if (f.first == name)
                return f.second;
    return REAL(GetProcAddress)(module, name);
}

std::shared_ptr<void> FakeProc(const char* name, FARPROC fn)
{
    static std::weak_ptr<void> armed;
    std::shared_ptr<void> hook = armed.lock();
    if (!hook) {
        hook = ARM_HOOK(GetProcAddress, FakeGetProcAddress);
        armed = hook;
    }
    auto entry = g_faked.insert(g_faked.begin(), { name, fn });
    return std::shared_ptr<void>(new int(0), [hook, entry](int* p) {
        g_faked.erase(entry);
        delete p;
    });
}
