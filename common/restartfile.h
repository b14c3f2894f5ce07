// What a file in use leaves to the next restart: its replacement or its
// deletion. NT family: the system's list of pending renames; 9x family:
// the [rename] section of WININIT.INI in the Windows folder, in short names
// in the OEM code page, in which the restart reads them.
#ifndef TANDREL_RESTARTFILE_H
#define TANDREL_RESTARTFILE_H
#include <windows.h>

// The restart moves source (a file in target's folder) over target. On the
// 9x family a line of an earlier run that names source's short name goes.
int ScheduleReplace(const char* source, const char* target);
// The restart deletes path: a file, or on the NT family an empty folder.
int ScheduleDelete(const char* path);
// Clears path's attributes and tries DeleteFileA on it as often as given,
// then again while it is held briefly; a file still there is scheduled for
// deletion. Only for the package's own files. 0 when it stays for good, 1
// when it is gone, 2 when the restart deletes it.
int DeleteOrSchedule(const char* path, int tries);
// Deletes a copy that an earlier run may have left for the restart (a .new
// or .old), whatever its attributes, waiting out a brief hold; on the 9x
// family every [rename] line whose source it was goes in the same rewrite,
// since a later file can take its short name. 1 when it is gone (or was
// not there) and no line names it.
int DeletePendingCopy(const char* path);

// After a failed file call: whether its error is a sharing or lock
// violation and start (a GetTickCount value) is less than HOLD_BOUND_MS ago;
// then it has paused HOLD_PAUSE_MS for another try. The error is kept.
int HeldBriefly(DWORD start);

#endif
