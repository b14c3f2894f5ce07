// One setup or removal at a time on the machine.
#ifndef TANDREL_INSTALLLOCK_H
#define TANDREL_INSTALLLOCK_H
#include <windows.h>

// The lock file, open without sharing until the process ends; NULL until
// taken. Tests close it to start again.
extern HANDLE g_installLock;

// 0 when this process holds the lock (again); ERROR_INSTALL_ALREADY_RUNNING
// when another run does; ERROR_ACCESS_DENIED when it cannot be taken for
// any other reason, such as a user who may not write the system folder.
DWORD TakeInstallLock();

#endif
