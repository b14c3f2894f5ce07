// Import-table hooks: replace the import-table slot of one import for the
// scope of a test. The programs call every system function through that
// slot, so the fake sees their calls with all arguments; the destructor
// restores the original.
#ifndef TEST_IATHOOK_H
#define TEST_IATHOOK_H
#include <windows.h>
#include <memory>
#include <type_traits>

// The test executable's own import slot for a function, found by its
// undecorated name, so that i686's decorated link names (_f@N) need not be
// spelled out. A function the executable does not import gets a spare slot,
// which a hook refuses.
void** ImportSlot(const char* name);
bool IsImported(const char* name);
// Fails the running test when a hook is put on a spare slot.
void CheckImportSlot(void** slot, const char* name);
// The imported function itself, whatever hook is on its slot now.
void* RealImport(const char* name);
#define REAL(fn) reinterpret_cast<decltype(&fn)>(RealImport(#fn))

// A note taken of each call before the real function runs.
template <typename G>
struct PassThrough {
    G note;
};
template <typename G>
PassThrough(G) -> PassThrough<G>;

// Turns a fake into a pointer with the import's calling convention. A
// WINAPI function serves as it is. A lambda (or any other callable without
// state) converts only to a plain cdecl pointer, which on i686 must not be
// called as stdcall, so a stdcall thunk per fake type calls it.
template <typename F>
struct ImportThunk;
template <typename R, typename... A>
struct ImportThunk<R(WINAPI*)(A...)> {
    using Plain = R (*)(A...);
    using Note = void (*)(A...);
    template <typename G>
    static inline Plain target;
    template <typename G>
    static inline Note note;
    template <typename G>
    static inline R(WINAPI* real)(A...);
    template <typename G>
    static R WINAPI Call(A... a) { return target<G>(a...); }
    template <typename G>
    static R WINAPI Pass(A... a)
    {
        note<G>(a...);
        return real<G>(a...);
    }
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
    template <typename G>
    static void* Make(PassThrough<G> p, void* realFn)
    {
        note<G> = p.note;
        real<G> = reinterpret_cast<R(WINAPI*)(A...)>(realFn);
        return reinterpret_cast<void*>(&Pass<G>);
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
    IatHook(const char* name, G fake) : IatHook(name)
    {
        Write(ImportThunk<F>::Make(fake));
    }
    template <typename G>
    IatHook(const char* name, PassThrough<G> p) : IatHook(name)
    {
        Write(ImportThunk<F>::Make(p, RealImport(name)));
    }
    ~IatHook() { Write(old_); }
    IatHook(const IatHook&) = delete;
    IatHook& operator=(const IatHook&) = delete;

private:
    explicit IatHook(const char* name) : slot_(ImportSlot(name)), old_(*slot_) { CheckImportSlot(slot_, name); }
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

// HOOK(MessageBoxA, fake) declares a hook variable named hook_MessageBoxA.
#define HOOK(fn, ...) IatHook<decltype(&fn)> hook_##fn{ #fn, __VA_ARGS__ }
// OBSERVE(fn, note): note(arguments...) for each call, then the real function.
#define OBSERVE(fn, ...) IatHook<decltype(&fn)> hook_##fn{ #fn, PassThrough{ __VA_ARGS__ } }
// A hook on the heap, for tables that arm one of many hooks in turn.
#define ARM_HOOK(fn, ...) std::shared_ptr<void>(std::make_shared<IatHook<decltype(&fn)>>(#fn, __VA_ARGS__))

#endif
