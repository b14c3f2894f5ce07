// One setup or removal at a time on the machine.
#ifndef TANDREL_INSTALLLOCK_H
#define TANDREL_INSTALLLOCK_H
#include <windows.h>

// The lock file, open without sharing until the process ends; NULL until
// taken. Tests close it to start again.
extern HANDLE g_installLock;

// 1 when this process holds the lock (again), 0 when another one does or the
// system folder cannot be written.
int TakeInstallLock();

#endif
