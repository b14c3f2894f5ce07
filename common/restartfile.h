// What a file in use leaves to the next restart: its replacement or its
// deletion. NT family: the system's list of pending renames; 9x family:
// the [rename] section of WININIT.INI in the Windows folder, in short names.
#ifndef TANDREL_RESTARTFILE_H
#define TANDREL_RESTARTFILE_H
#include <windows.h>

// The restart moves source (a file in target's folder) over target.
int ScheduleReplace(const char* source, const char* target);
// The restart deletes path: a file, or on the NT family an empty folder.
int ScheduleDelete(const char* path);
// Tries DeleteFileA on path as often as given; a file still there is
// scheduled for deletion. 0 when it stays for good, 1 when it is gone, 2
// when the restart deletes it.
int DeleteOrSchedule(const char* path, int tries);

// Deletes a copy that an earlier run may have left for the restart. 1 when
// it is gone.
int DeletePendingCopy(const char* path);
// After a failed file call: whether its error is a sharing or lock
// violation and start (a GetTickCount value) is less than HOLD_BOUND_MS ago;
// then it has paused HOLD_PAUSE_MS for another try. The error is kept.
int HeldBriefly(DWORD start);

#endif
