#include "observers.h"
#include <sddl.h>
#include "calllog.h"
#include "iathook.h"

BOOL WINAPI ObserveCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sa)
{
    char* sddl = NULL;
    if (sa && !ConvertSecurityDescriptorToStringSecurityDescriptorA(sa->lpSecurityDescriptor, SDDL_REVISION_1,
                                                                     DACL_SECURITY_INFORMATION, &sddl, NULL))
        sddl = NULL;
    Record("CreateDirectoryA(%s, %s)", Quote(path).c_str(), sa ? (sddl ? sddl : "unreadable") : "NULL");
    LocalFree(sddl);
    return REAL(CreateDirectoryA)(path, sa);
}

static const char* RootName(HKEY k)
{
    return k == HKEY_LOCAL_MACHINE ? "HKLM" : k == HKEY_CLASSES_ROOT ? "HKCR" : k == HKEY_CURRENT_USER ? "HKCU" : "key";
}

#define NOTE(fn, params, fmt, ...) OBSERVE(fn, [] params { Record(#fn "(" fmt ")", __VA_ARGS__); });
struct RemovalRecorder::Hooks {
    NOTE(SendMessageTimeoutA, (HWND, UINT m, WPARAM, LPARAM, UINT f, UINT t, PDWORD_PTR), "msg=%u, flags=0x%x, timeout=%u", m, f, t)
    NOTE(RegDeleteValueA, (HKEY, LPCSTR n), "%s", n)
    NOTE(RegDeleteKeyA, (HKEY k, LPCSTR p), "%s\\%s", RootName(k), p)
    NOTE(RegFlushKey, (HKEY k), "%s", RootName(k))
    NOTE(DeleteFileA, (LPCSTR p), "%s", p)
    NOTE(CreateFileA, (LPCSTR p, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE), "%s", p)
    NOTE(MoveFileExA, (LPCSTR f, LPCSTR t, DWORD fl), "%s, %s, 0x%lx", f, t ? t : "NULL", fl)
    NOTE(RemoveDirectoryA, (LPCSTR p), "%s", p)
    NOTE(OpenSCManagerA, (LPCSTR, LPCSTR, DWORD c), "0x%lx", c)
    NOTE(LockServiceDatabase, (SC_HANDLE), "%s", "manager")
    NOTE(DeleteService, (SC_HANDLE), "%s", "service")
};

RemovalRecorder::RemovalRecorder() : hooks(new Hooks) {}
RemovalRecorder::~RemovalRecorder() = default;
