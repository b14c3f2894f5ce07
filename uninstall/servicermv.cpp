// Deletes the driver service under the database lock. It is never stopped:
// a loaded driver stays until the next restart.
#include "uninstall.h"
#include "footprint.h"
#include "log.h"
#include "platform.h"

// The lock is retried every 100 ms; after a minute the service is left.
#define LOCK_TRIES 600

// The service opened; a failure other than its absence is logged.
static SC_HANDLE OpenDriverService(SC_HANDLE manager)
{
    SC_HANDLE service = OpenServiceA(manager, SZ_SERVICE, SERVICE_ALL_ACCESS);
    if (!service && GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST)
        LogStep(0, "OpenServiceA", SZ_SERVICE, NULL);
    return service;
}

int IsDriverActive(SC_HANDLE manager)
{
    SC_HANDLE service = OpenDriverService(manager);
    if (!service)
        return 0;
    SERVICE_STATUS status;
    BOOL queried = QueryServiceStatus(service, &status);
    if (!queried)
        LogStep(0, "QueryServiceStatus", SZ_SERVICE, NULL);
    CloseServiceHandle(service);
    if (!queried)
        return 0;
    return status.dwServiceType == SERVICE_KERNEL_DRIVER &&
           (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_STOP_PENDING);
}

int DeleteDriverService(SC_HANDLE manager)
{
    SC_HANDLE service = OpenDriverService(manager);
    if (!service)
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    SC_LOCK lock = LockServiceDatabase(manager);
    for (int tries = 1; !lock && tries < LOCK_TRIES; tries++) {
        Sleep(100);
        lock = LockServiceDatabase(manager);
    }
    int deleted = 0;
    // Each failure with its own error, before the next call changes it.
    if (!lock)
        LogStep(0, "LockServiceDatabase", SZ_SERVICE, NULL);
    else {
        deleted = LogStep(DeleteService(service) != 0, "DeleteService", SZ_SERVICE, NULL);
        UnlockServiceDatabase(lock);
    }
    CloseServiceHandle(service);
    return deleted;
}

int RemoveDriverService()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    // The 9x family has no service manager.
    if (!manager) {
        if (IsNtPlatform())
            LogStep(0, "OpenSCManagerA", SZ_SERVICE, NULL);
        return 0;
    }
    int active = IsDriverActive(manager);
    if (active)
        LogStep(1, "loaded:", SZ_SERVICE, NULL);
    int deleted = DeleteDriverService(manager);
    CloseServiceHandle(manager);
    if (!deleted)
        return 0;
    return active ? 2 : 1;
}
