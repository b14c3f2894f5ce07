// Import-table hooks: replace the import-table slot of one import for the
// scope of a test. The programs call every system function through that
// slot, so the fake sees their calls with all arguments; the destructor
// restores the original.
#ifndef TEST_IATHOOK_H
#define TEST_IATHOOK_H
#include <windows.h>
#include <type_traits>

// The test executable's own import slot for a function, found by its
// undecorated name, so that i686's decorated link names (_f@N) need not be
// spelled out. A function the executable does not import gets a spare slot,
// which a hook refuses.
void*& ImportSlot(const char* name);
// Fails the running test when a hook is put on a spare slot.
void CheckImportSlot(void** slot);
bool IsImported(const char* name);

// Declares the import slot of fn. Use at namespace scope.
#define IAT_SLOT(fn) static void*& iat_slot_##fn = ImportSlot(#fn)

// Turns a fake into a pointer with the import's calling convention. A
// WINAPI function serves as it is. A lambda (or any other callable without
// state) converts only to a plain cdecl pointer, which on i686 must not be
// called as stdcall, so a stdcall thunk per fake type calls it.
template <typename F>
struct ImportThunk;
template <typename R, typename... A>
struct ImportThunk<R(WINAPI*)(A...)> {
    using Plain = R (*)(A...);
    template <typename G>
    static inline Plain target;
    template <typename G>
    static R WINAPI Call(A... a) { return target<G>(a...); }
    template <typename G>
    static void* Make(G fake)
    {
        if constexpr (std::is_convertible_v<G, R(WINAPI*)(A...)>) {
            return reinterpret_cast<void*>(static_cast<R(WINAPI*)(A...)>(fake));
        } else {
            target<G> = fake;
            return reinterpret_cast<void*>(&Call<G>);
        }
    }
};

// A lambda as a system callback (window procedure, enumeration callback).
template <typename F, typename G>
F AsCallback(G fn)
{
    return reinterpret_cast<F>(ImportThunk<F>::Make(fn));
}

template <typename F>
class IatHook {
public:
    template <typename G>
    IatHook(void** slot, G fake) : slot_(slot), old_(*slot)
    {
        CheckImportSlot(slot);
        Write(ImportThunk<F>::Make(fake));
    }
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
