// The install record: the names setup put into a folder, separated by '*',
// which no file name contains and which no code page uses as the second
// byte of a character. Without system calls.
#ifndef TANDREL_RECORD_H
#define TANDREL_RECORD_H

// Takes the next name of the record at *cursor into name and moves the
// cursor past it; 0 at the end. A name that could reach outside its folder
// (a separator, a drive, ".", "..", a trailing dot or blank that Windows
// drops) or that does not fit cap comes out empty, to be skipped.
int TakeRecordedName(const char** cursor, char* name, unsigned cap);
// Whether the record holds name, in any letter case.
int RecordHolds(const char* record, const char* name);

#endif
