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
    int kind = last == '\\' ? RECORD_GROUP : RECORD_NAME;
    if ((kind == RECORD_NAME && (!plain || last == '.' || last == ' ')) || !TextCopyPrefix(name, cap, p, n)) {
        if (cap)
            name[0] = 0;
    }
    return kind;
}

int RecordHolds(const char* record, const char* name)
{
    char taken[RECORD_NAME_SIZE];
    unsigned n = TextLength(name);
    int holds = 0;
    for (int kind; (kind = TakeRecordedName(&record, taken, sizeof taken)) != 0;)
        holds = kind == RECORD_NAME && (holds || (TextLength(taken) == n && TextSameStart(taken, name, n)));
    return holds;
}
