#include "record.h"
#include "text.h"

#define RECORD_NAME_SIZE 256

int TakeRecordedName(const char** cursor, char* name, unsigned cap)
{
    const char* p = *cursor;
    if (!*p)
        return 0;
    unsigned n = 0;
    int plain = 1;
    char last = 0;
    while (p[n] && p[n] != '*') {
        unsigned next = TextNext(p, n);
        last = next == n + 1 ? p[n] : 'x';
        if (last == '\\' || last == '/' || last == ':')
            plain = 0;
        n = next;
    }
    *cursor = p[n] ? p + n + 1 : p + n;
    if (!plain || last == '.' || last == ' ' || !TextCopyPrefix(name, cap, p, n)) {
        if (cap)
            name[0] = 0;
    }
    return 1;
}

int RecordHolds(const char* record, const char* name)
{
    char taken[RECORD_NAME_SIZE];
    unsigned n = TextLength(name);
    while (TakeRecordedName(&record, taken, sizeof taken))
        if (TextLength(taken) == n && TextSameStart(taken, name, n))
            return 1;
    return 0;
}
