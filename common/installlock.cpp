// A file in the system folder, which only an administrator can create, held
// open without sharing: a named object could be made first by any user and
// would then keep out every setup and removal. The system closes the handle
// of a process that is killed, so a cut-off run never leaves it locked.
#include "installlock.h"
#include "folders.h"
#include "footprint.h"
#include "log.h"
#include "platform.h"

HANDLE g_installLock;

DWORD TakeInstallLock()
{
    if (g_installLock)
        return 0;
    char path[MAX_PATH];
    if (!FolderWithSuffix(GetSystemDirectoryA, path, sizeof path, SZ_INSTALL_LOCK)) {
        LogFailure("does not fit:", SZ_INSTALL_LOCK);
        return ERROR_ACCESS_DENIED;
    }
    // The NT family deletes the file when the handle closes. The 9x family
    // documents no such flag: there the empty file stays, and the next run
    // opens it again.
    DWORD flags = FILE_ATTRIBUTE_NORMAL | (IsNtPlatform() ? FILE_FLAG_DELETE_ON_CLOSE : 0);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS, flags, NULL);
    if (!LogStep(file != INVALID_HANDLE_VALUE, "lock", path, NULL))
        // Only another run holds it open; anything else (a limited user
        // above all) is no reason to wait and try again.
        return GetLastError() == ERROR_SHARING_VIOLATION ? ERROR_INSTALL_ALREADY_RUNNING : ERROR_ACCESS_DENIED;
    g_installLock = file;
    return 0;
}
