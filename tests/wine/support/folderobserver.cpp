#include "folderobserver.h"
#include <sddl.h>
#include "calllog.h"
#include "iathook.h"

// Read before any test hooks the slot.
static const auto g_realCreateDirectoryA = reinterpret_cast<decltype(&CreateDirectoryA)>(ImportSlot("CreateDirectoryA"));

BOOL WINAPI ObserveCreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES sa)
{
    char* sddl = NULL;
    if (sa && !ConvertSecurityDescriptorToStringSecurityDescriptorA(sa->lpSecurityDescriptor, SDDL_REVISION_1,
                                                                     DACL_SECURITY_INFORMATION, &sddl, NULL))
        sddl = NULL;
    Record("CreateDirectoryA(%s, %s)", Quote(path).c_str(), sa ? (sddl ? sddl : "unreadable") : "NULL");
    LocalFree(sddl);
    return g_realCreateDirectoryA(path, sa);
}
