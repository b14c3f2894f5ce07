// Import-table hooks: replace the __imp_ pointer of one import for the scope
// of a test. The programs call every system function through that pointer,
// so the fake sees their calls with all arguments; the destructor restores
// the original.
#ifndef TEST_IATHOOK_H
#define TEST_IATHOOK_H
#include <windows.h>

// Declares the import slot of fn (x86_64 naming). Use at namespace scope.
#define IAT_SLOT(fn) extern "C" void* iat_slot_##fn __asm__("__imp_" #fn)

template <typename F>
class IatHook {
public:
    // The fake may be a function or a non-capturing lambda; on x86_64 there
    // is one calling convention, so the lambda's pointer serves as the import.
    template <typename G>
    IatHook(void** slot, G fake) : slot_(slot), old_(*slot) { Write(reinterpret_cast<void*>(+fake)); }
    ~IatHook() { Write(old_); }
    IatHook(const IatHook&) = delete;
    IatHook& operator=(const IatHook&) = delete;
    F Original() const { return reinterpret_cast<F>(old_); }

private:
    void Write(void* value)
    {
        DWORD prot;
        VirtualProtect(slot_, sizeof(void*), PAGE_READWRITE, &prot);
        *slot_ = value;
        VirtualProtect(slot_, sizeof(void*), prot, &prot);
    }
    void** slot_;
    void* old_;
};

// A hook on the heap, for tables that arm one of many hooks in turn.
#include <memory>
template <typename F, typename G>
std::shared_ptr<void> ArmHook(void** slot, G fake)
{
    return std::make_shared<IatHook<F>>(slot, fake);
}

// HOOK(MessageBoxA, fake) declares a hook variable named hook_MessageBoxA.
#define HOOK(fn, fake) IatHook<decltype(&fn)> hook_##fn{ &iat_slot_##fn, fake }

#endif
