// The install record: groups of a folder (ending in a backslash) and the
// names setup put into it, separated by '*', which no path contains and
// which no code page uses as the second byte of a character. Without
// system calls.
#ifndef TANDREL_RECORD_H
#define TANDREL_RECORD_H

#define RECORD_NAME  1
#define RECORD_GROUP 2

// Takes the next entry of the record at *cursor into name and moves the
// cursor past it: RECORD_GROUP for a folder, which starts a group,
// RECORD_NAME for a name in it; 0 at the end. A name that could reach
// outside its folder (a separator, a drive, ".", "..", a trailing dot or
// blank that Windows drops), or an entry that does not fit cap, comes out
// empty, to be skipped (with the names of its group, for a folder).
int TakeRecordedName(const char** cursor, char* name, unsigned cap);
// Whether the record's last group holds name, in any letter case.
int RecordHolds(const char* record, const char* name);

#endif
