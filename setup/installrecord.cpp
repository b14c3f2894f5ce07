// The install record that removal reads: for each folder setup installed
// into, the names it put there, and the links' folder with its links.
#include "setup.h"
#include "footprint.h"
#include "installpaths.h"
#include "record.h"
#include "registry.h"
#include "log.h"
#include "text.h"

#define GROUP_FOLDER_SIZE 256

// Adds name to the record's last group unless it is there already; 0 when
// the record cannot hold it, and removal then leaves that file.
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
    int ok = RecordHolds(record, name);
    if (!ok && ((record[0] && !TextAppendChar(record, sizeof record, '*')) || !TextAppend(record, sizeof record, name)))
        LogFailure("install record full:", name);
    else
        ok = ok || SetString(key, value, record);
    RegCloseKey(key);
    return ok;
}

// The failure of a record that cannot hold a group.
static int Full(const char* folder)
{
    return LogFailure("install record full:", folder);
}

// Makes folder the record's last group. Names that an older install wrote
// without a folder belong to older's folder, which goes in front of them;
// without one they are dropped, so that removal deletes fewer names, never
// more. 0 when the record cannot hold the group: nothing is installed then,
// since removal could not find it.
static int StartGroup(HKEY key, const char* value, const char* older, const char* folder)
{
    char record[RECORD_SIZE];
    char entry[GROUP_FOLDER_SIZE];
    char last[GROUP_FOLDER_SIZE];
    if (!ReadRegValue(key, value, record, sizeof record))
        record[0] = 0;
    TextZero(last, sizeof last);
    const char* cursor = record;
    for (int kind; (kind = TakeRecordedName(&cursor, entry, sizeof entry)) != 0;)
        if (kind == RECORD_GROUP)
            TextCopy(last, sizeof last, entry);
    char grown[RECORD_SIZE];
    TextZero(grown, sizeof grown);
    if (!last[0] && record[0] && older[0]) {
        TextCopy(last, sizeof last, older);
        if (!TextCopy(grown, sizeof grown, older) || !TextAppendChar(grown, sizeof grown, '*'))
            return Full(folder);
    }
    if ((last[0] || !record[0]) && !TextAppend(grown, sizeof grown, record))
        return Full(folder);
    unsigned n = TextLength(folder);
    if (!(TextLength(last) == n && TextSameStart(last, folder, n)) &&
        ((grown[0] && !TextAppendChar(grown, sizeof grown, '*')) || !TextAppend(grown, sizeof grown, folder)))
        return Full(folder);
    // A group that is not written would credit this folder's names to the one before.
    return SetString(key, value, grown);
}

// Starts the record before the first copy. It exists from then on, so that
// removal never takes this install for one made before the record and
// deletes package names that this setup did not write.
int StartRecord()
{
    char older[RUN_VALUE_READ_SIZE];
    char links[GROUP_FOLDER_SIZE];
    ReadRunValueFolder(older, sizeof older);
    HKEY key = OpenOrCreateKey(HKEY_LOCAL_MACHINE, SZ_UNINSTALL_KEY_SETUP);
    if (!key)
        return 0;
    int ok = StartGroup(key, SZ_RECORD_FILES, older, g_destDir);
    // Without a Start-menu folder there are no links to record.
    if (LinksFolder(links, sizeof links))
        ok &= StartGroup(key, SZ_RECORD_LINKS, links, links);
    RegCloseKey(key);
    return ok;
}
