// The install record that removal reads: the name of each file setup put
// into the destination folder and of each link in the Start-menu folder.
#include "setup.h"
#include "footprint.h"
#include "installpaths.h"
#include "record.h"
#include "registry.h"
#include "text.h"

// Adds name to the record unless it is there already; 0 when the record
// cannot hold it, and removal then leaves that file.
int RecordInstalled(const char* value, const char* name)
{
    HKEY key = OpenOrCreateKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    if (!key)
        return 0;
    char record[RECORD_SIZE];
    TextZero(record, sizeof record);
    // One that cannot be read starts anew: removal deletes fewer names, never more.
    if (!ReadRegValue(key, value, record, sizeof record))
        record[0] = 0;
    int ok = RecordHolds(record, name) ||
             ((!record[0] || TextAppendChar(record, sizeof record, '*')) && TextAppend(record, sizeof record, name) &&
              SetString(key, value, record));
    RegCloseKey(key);
    return ok;
}

// Starts the record before the first copy. It exists from then on, even
// empty, so that removal never takes this install for one made before the
// record and deletes package names that this setup did not write. The
// files recorded for another folder are not this folder's: a second install
// keeps the names of the first only where it installs into the same folder,
// the one the Run value names.
void StartRecord()
{
    char now[STEP_PATH_SIZE];
    char mine[STEP_PATH_SIZE];
    int read = ReadKeyValue(HKEY_LOCAL_MACHINE, SZ_RUN_KEY, SZ_RUN_VALUE, now, sizeof now);
    unsigned n = TextLength(now);
    int sameFolder = read && QuotedPath(mine, sizeof mine, g_destDir, SZ_AGENT_EXE) && n == TextLength(mine) &&
                     TextSameStart(now, mine, n);
    HKEY key = OpenOrCreateKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    if (!key)
        return;
    char record[RECORD_SIZE];
    if (!sameFolder || !ReadRegValue(key, SZ_RECORD_FILES, record, sizeof record))
        SetString(key, SZ_RECORD_FILES, "");
    if (!ReadRegValue(key, SZ_RECORD_LINKS, record, sizeof record))
        SetString(key, SZ_RECORD_LINKS, "");
    RegCloseKey(key);
}
